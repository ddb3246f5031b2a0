#pragma once

#include "model/Route.h"

namespace navora {

// The ordering a waypoint list keeps after an import: sorted by name
// (Waypoint::nameAlpha) with duplicates removed. A duplicate has the same
// name and the same position as another entry: two "Parking" waypoints in
// different places are both kept. Both steps stay fast for lists of a
// hundred thousand waypoints: each name is read once.
class WaypointListOrder {
public:
    // Stable: waypoints of equal name keep their relative order.
    static void sortByName(WaypointList& list);
    // On a sorted list: every waypoint with the name and position of an entry
    // before it is removed (the first stays). Returns the number removed; a
    // list of fewer than two entries is left as it is.
    static int stripDuplicates(WaypointList& list);
    // Both, reading each name once. Returns the number removed.
    static int sortByNameAndStripDuplicates(WaypointList& list);
    // Both, after an import into a list, with a log line of how many went.
    static void tidyAfterImport(WaypointList& list);
};

} // namespace navora
