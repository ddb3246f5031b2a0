// Feeds arbitrary bytes to both document decoders. Besides crashes and
// sanitizer reports, it catches a decoder that accepts data and then cannot
// reproduce it: whatever decodes must encode again, and that encoding must
// decode to the same bytes once more.
#include "model/DocumentArchive.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using navora::DocumentArchive;

template <typename Decode, typename Encode> void checkStable(std::string_view data, Decode decode, Encode encode)
{
    std::string error;
    auto document = decode(data, error);
    if (!document) {
        if (error.empty())
            std::abort();
        return;
    }
    const auto first = encode(document, error);
    if (!first)
        std::abort();
    auto again = decode(*first, error);
    if (!again)
        std::abort();
    const auto second = encode(again, error);
    if (!second || *second != *first)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkStable(bytes, DocumentArchive::decodeWaypointList,
        [](const auto& list, std::string& error) { return DocumentArchive::encodeWaypointList(*list, error); });
    checkStable(bytes, DocumentArchive::decodeRoute,
        [](const auto& route, std::string& error) { return DocumentArchive::encodeRoute(*route, error); });
    return 0;
}
