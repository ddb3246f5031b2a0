#pragma once

#include "model/Route.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace navora {

class ArchiveReader;
class ArchiveWriter;

// The contents of the two document kinds (see DocumentTypes.h): a waypoint
// list file holds a List of Waypoint as its root object, a route file one
// Route. Encoding gives the file's bytes; decoding checks them completely and
// gives either the whole document or, with the reason in error, nothing.
// Saving goes through AtomicFile, so a failed save leaves the old file as it
// was; loading reads at most kMaxFileBytes.
class DocumentArchive {
public:
    static constexpr size_t kMaxFileBytes = size_t{256} << 20;

    static std::optional<std::string> encodeWaypointList(const WaypointList& list, std::string& error);
    static std::optional<WaypointList> decodeWaypointList(std::string_view data, std::string& error);
    static std::optional<std::string> encodeRoute(const Route& route, std::string& error);
    static RoutePtr decodeRoute(std::string_view data, std::string& error);

    // The whole of a regular file of at most kMaxFileBytes, read in chunks
    // so that a file growing while it is read still cannot exceed the bound;
    // anything else (a pipe, a folder, a larger file) is refused at once.
    static std::optional<std::string> readFile(const std::string& path, std::string& error);

    static bool saveWaypointList(const std::string& path, const WaypointList& list, std::string& error);
    static std::optional<WaypointList> loadWaypointList(const std::string& path, std::string& error);
    static bool saveRoute(const std::string& path, const Route& route, std::string& error);
    static RoutePtr loadRoute(const std::string& path, std::string& error);

    // A List of Waypoint inside an archive: a waypoint document's root and a
    // route's waypoints. The list must not hold empty pointers.
    static void writeWaypointList(ArchiveWriter& coder, const WaypointList& list);
    static std::optional<WaypointList> readWaypointList(ArchiveReader& coder);
};

} // namespace navora
