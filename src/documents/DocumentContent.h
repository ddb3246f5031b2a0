#pragma once

#include "model/Route.h"
#include "model/Waypoint.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace navora {

// What an undoable edit of a document changes: the order of its waypoints
// (the shared records themselves, so a route built from a list keeps the
// same objects through undo; nullopt when the edit left the order alone),
// the fields of the waypoints the edit changes in place, and a route's name.
struct DocumentContent {
    using Values = std::vector<std::pair<WaypointPtr, WaypointSnapshot>>;

    std::optional<WaypointList> waypoints;
    Values values;
    std::optional<std::string> routeName;

    // The fields of these waypoints as they are now.
    static Values valuesOf(const WaypointList& waypoints);
    // Puts the fields back into their waypoints.
    static void restoreValues(const Values& values);

    // Unknown (NaN) coordinates compare equal to each other.
    bool operator==(const DocumentContent& other) const;
};

} // namespace navora
