// Feeds arbitrary bytes to the GPX import, of the whole file and into a
// waypoint list. Besides crashes, sanitizer reports and runaway memory, it
// catches an export that does not read back: whatever was imported is
// exported as GPX and imported again, and must give the same routes and
// waypoints.
#include "fuzz/IoFuzzInput.h"

#include "io/GpxExport.h"
#include "io/MemoryDocumentHost.h"
#include "io/MemoryWaypointDocument.h"

#include <cstddef>
#include <cstdint>

using namespace navora;

namespace {

std::vector<std::string> everything(const MemoryDocumentHost& host)
{
    std::vector<std::string> lines;
    for (const ExchangeDocument* document : host.documents()) {
        // A list whose waypoints were all left out has nothing to write.
        if (!document->route() && fuzz::written(document->waypointList()).empty())
            continue;
        lines.push_back(std::string(document->typeName()));
        if (document->route())
            lines.push_back(document->route()->routeName().value_or(std::string()));
        for (const std::string& line : fuzz::written(document->waypointList()))
            lines.push_back(line);
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::fileWith(0, std::string_view(reinterpret_cast<const char*>(data), size));
    MemoryDocumentHost scratch;
    MemoryWaypointDocument list;
    fuzz::importerOf(scratch, path).importGPXforDocument(list, false);
    MemoryDocumentHost host;
    if (!fuzz::importerOf(host, path).importGPX())
        return 0;

    const std::string again = fuzz::fileWith(1, GpxExport::documents(host.documents(), {}));
    MemoryDocumentHost reread;
    if (!fuzz::importerOf(reread, again).importGPX())
        std::abort();
    if (everything(reread) != everything(host))
        std::abort();
    return 0;
}
