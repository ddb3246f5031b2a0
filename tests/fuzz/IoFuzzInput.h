#pragma once

// What the KML and GPX reader fuzzers share: the input as a real file (in
// memory, through memfd), and what the check needs that whatever a reader
// imports, the export writes in a form that imports again to the very same
// waypoints.
#include "core/Log.h"
#include "io/ExchangeDocument.h"
#include "io/ExportPoint.h"
#include "io/ImportController.h"
#include "model/NumberText.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace navora::fuzz {

// A file the readers open by path, rewritten for every input.
class FuzzFile {
public:
    FuzzFile()
        : m_fd(::memfd_create("navora-fuzz", 0))
    {
        if (m_fd < 0)
            std::abort();
        m_path = "/proc/self/fd/" + std::to_string(m_fd);
    }
    FuzzFile(const FuzzFile&) = delete;
    FuzzFile& operator=(const FuzzFile&) = delete;

    const std::string& write(const char* data, size_t size)
    {
        if (::ftruncate(m_fd, 0) != 0 || ::pwrite(m_fd, data, size, 0) != static_cast<ssize_t>(size))
            std::abort();
        return m_path;
    }
    const std::string& write(const std::string& bytes) { return write(bytes.data(), bytes.size()); }
    const std::string& path() const { return m_path; }

private:
    int m_fd;
    std::string m_path;
};

inline FuzzFile& inputFile()
{
    static FuzzFile file;
    return file;
}

// Where the exported text goes to be imported again.
inline FuzzFile& exportFile()
{
    static FuzzFile file;
    return file;
}

// Waypoints as the formats write them (the altitude as a finite number).
inline std::vector<std::string> written(const WaypointList& list)
{
    // As the exports write each waypoint: a round trip must give the same
    // texts (the 180th meridian, for one, comes back as -180).
    std::vector<std::string> lines;
    for (const WaypointPtr& waypoint : list) {
        const std::optional<ExportPoint> point = ExportPoint::from(*waypoint);
        if (!point)
            continue;
        lines.push_back(point->name + "|" + point->comment + "|" + point->latitude + "|" + point->longitude + "|"
            + point->altitude);
    }
    return lines;
}

inline ImportController importerOf(ExchangeDocumentHost& host, const std::string& path)
{
    return ImportController(host, [path](std::string_view) { return std::optional<std::string>(path); });
}

inline void quietLog()
{
    static const bool quiet = [] {
        Log::setSink([](std::string_view) {});
        return true;
    }();
    (void)quiet;
}

} // namespace navora::fuzz
