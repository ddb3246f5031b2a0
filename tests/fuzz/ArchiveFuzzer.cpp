// Feeds arbitrary bytes to both document decoders. Besides crashes and
// sanitizer reports, it catches a decoder that accepts data and then cannot
// reproduce it: whatever decodes must encode again, and that encoding must
// decode to the same bytes once more.
#include "model/DocumentArchive.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using navora::DocumentArchive;

template <typename Decode, typename Encode> void checkStable(std::string_view data, Decode decode, Encode encode)
{
    std::string error;
    const auto document = decode(data, error);
    if (!document) {
        if (error.empty())
            std::abort();
        return;
    }
    const auto first = encode(*document, error);
    const auto again = first ? decode(*first, error) : decltype(document){};
    if (!again || encode(*again, error) != first)
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkStable(bytes, DocumentArchive::decodeWaypointList, DocumentArchive::encodeWaypointList);
    checkStable(bytes, DocumentArchive::decodeRoute, DocumentArchive::encodeRoute);
    return 0;
}
