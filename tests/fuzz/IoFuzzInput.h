#pragma once

// What the KML and GPX reader fuzzers share: the input as a real file (in
// memory, through memfd), and the waypoints as the exports write them, which
// must come back the same when the export is imported again.
#include "core/Log.h"
#include "io/ExchangeDocument.h"
#include "io/ExportPoint.h"
#include "io/ImportController.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace navora::fuzz {

// Rewrites one of two files in memory (0: the input, 1: the export to read
// again) to hold bytes, and gives its path.
inline std::string fileWith(int which, std::string_view bytes)
{
    static const int files[2] = {::memfd_create("navora-fuzz-input", 0), ::memfd_create("navora-fuzz-export", 0)};
    const int fd = files[which];
    if (fd < 0 || ::ftruncate(fd, 0) != 0
        || ::pwrite(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
        std::abort();
    return "/proc/self/fd/" + std::to_string(fd);
}

// As the exports write each waypoint: a round trip must give the same texts
// (the 180th meridian, for one, comes back as -180).
inline std::vector<std::string> written(const WaypointList& list)
{
    std::vector<std::string> lines;
    for (const WaypointPtr& waypoint : list) {
        if (const std::optional<ExportPoint> p = ExportPoint::from(*waypoint))
            lines.push_back(p->name + "|" + p->comment + "|" + p->latitude + "|" + p->longitude + "|" + p->altitude);
    }
    return lines;
}

// An importer of the file at path; the log stays quiet.
inline ImportController importerOf(ExchangeDocumentHost& host, const std::string& path)
{
    static const bool quiet = (Log::setSink([](std::string_view) {}), true);
    (void)quiet;
    return ImportController(host, [path](std::string_view) { return std::optional<std::string>(path); });
}

} // namespace navora::fuzz
