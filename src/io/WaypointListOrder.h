#pragma once

#include "model/Route.h"

namespace navora {

// The ordering a waypoint list keeps after an import: sorted by name
// (Waypoint::nameAlpha) with same-named entries removed. Both steps stay fast
// for lists of a hundred thousand waypoints: each name is read once.
class WaypointListOrder {
public:
    // Stable: waypoints of equal name keep their relative order.
    static void sortByName(WaypointList& list);
    // On a sorted list: every waypoint whose name equals that of the entry
    // before it is removed (the first of each run stays). Returns the number
    // removed; a list of fewer than two entries is left as it is.
    static int stripDuplicates(WaypointList& list);
    // Both, reading each name once. Returns the number removed.
    static int sortByNameAndStripDuplicates(WaypointList& list);
};

} // namespace navora
