// Feeds arbitrary bytes to the KML import, as a route and as a waypoint list.
// Besides crashes, sanitizer reports and runaway memory, it catches an export
// that does not read back: whatever was imported is exported as KML and
// imported again, and must give the same waypoints.
#include "fuzz/IoFuzzInput.h"

#include "io/KmlExport.h"
#include "io/MemoryDocumentHost.h"
#include "io/MemoryRouteDocument.h"
#include "io/MemoryWaypointDocument.h"

#include <cstddef>
#include <cstdint>

using namespace navora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::fileWith(0, std::string_view(reinterpret_cast<const char*>(data), size));
    MemoryDocumentHost host;
    MemoryWaypointDocument list;
    fuzz::importerOf(host, path).importKMLforDocument(list, false);
    MemoryRouteDocument route;
    if (!fuzz::importerOf(host, path).importKMLforDocument(route, true))
        return 0;

    const std::string again = fuzz::fileWith(1, KmlExport::route(*route.route(), "ccff00ff", {}));
    MemoryRouteDocument reread;
    if (!fuzz::importerOf(host, again).importKMLforDocument(reread, true))
        std::abort();
    if (fuzz::written(reread.waypointList()) != fuzz::written(route.waypointList()))
        std::abort();
    return 0;
}
