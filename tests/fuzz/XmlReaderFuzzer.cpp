// Feeds arbitrary bytes to the GPX import, of the whole file and into a
// waypoint list, or (built with NAVORA_FUZZ_KML) to the KML import, as a route
// and as a waypoint list. Besides crashes, sanitizer reports and runaway
// memory, it catches an export that does not read back: what was imported is
// exported and imported again, and must give the same routes and waypoints.
#include "core/Log.h"
#include "io/ExportPoint.h"
#include "io/GpxExport.h"
#include "io/ImportController.h"
#include "io/KmlExport.h"
#include "io/MemoryDocumentHost.h"
#include "io/MemoryRouteDocument.h"
#include "io/MemoryWaypointDocument.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

using namespace navora;

namespace {

// Rewrites one of two files in memory (0: the input, 1: the export to read
// again) to hold bytes, and gives its path.
std::string fileWith(int which, std::string_view bytes)
{
    static const int files[2] = {::memfd_create("navora-fuzz-input", 0), ::memfd_create("navora-fuzz-export", 0)};
    const int fd = files[which];
    if (fd < 0 || ::ftruncate(fd, 0) != 0
        || ::pwrite(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
        std::abort();
    return "/proc/self/fd/" + std::to_string(fd);
}

// An importer of the file at path; the log stays quiet.
ImportController importerOf(ExchangeDocumentHost& host, const std::string& path)
{
    static const bool quiet = (Log::setSink([](std::string_view) {}), true);
    (void)quiet;
    return ImportController(host, [path](std::string_view) { return std::optional<std::string>(path); });
}

// As the exports write each waypoint: a round trip must give the same texts
// (the 180th meridian, for one, comes back as -180).
std::vector<std::string> written(const WaypointList& list)
{
    std::vector<std::string> lines;
    for (const WaypointPtr& waypoint : list) {
        if (const std::optional<ExportPoint> p = ExportPoint::from(*waypoint))
            lines.push_back(p->name + "|" + p->comment + "|" + p->latitude + "|" + p->longitude + "|" + p->altitude);
    }
    return lines;
}

// Every document's type, route name and waypoints; a list whose waypoints
// were all left out has nothing to write.
[[maybe_unused]] std::vector<std::string> everything(const MemoryDocumentHost& host)
{
    std::vector<std::string> lines;
    for (const ExchangeDocument* document : host.documents()) {
        const std::vector<std::string> points = written(document->waypointList());
        if (!document->route() && points.empty())
            continue;
        lines.push_back(std::string(document->typeName()));
        if (document->route())
            lines.push_back(document->route()->routeName().value_or(std::string()));
        lines.insert(lines.end(), points.begin(), points.end());
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fileWith(0, std::string_view(reinterpret_cast<const char*>(data), size));
    MemoryDocumentHost host;
    MemoryDocumentHost reread;
    MemoryWaypointDocument list;
#ifdef NAVORA_FUZZ_KML
    importerOf(host, path).importKMLforDocument(list, false);
    MemoryRouteDocument route;
    if (!importerOf(host, path).importKMLforDocument(route, true))
        return 0;
    MemoryRouteDocument again;
    if (!importerOf(reread, fileWith(1, KmlExport::route(*route.route(), "ccff00ff", {})))
             .importKMLforDocument(again, true)
        || written(again.waypointList()) != written(route.waypointList()))
        std::abort();
#else
    importerOf(reread, path).importGPXforDocument(list, false);
    if (!importerOf(host, path).importGPX())
        return 0;
    MemoryDocumentHost again;
    if (!importerOf(again, fileWith(1, GpxExport::documents(host.documents(), {}))).importGPX()
        || everything(again) != everything(host))
        std::abort();
#endif
    return 0;
}
