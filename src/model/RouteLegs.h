#pragma once

#include "model/Route.h"

#include <vector>

namespace navora {

// The planning figures of a route, one entry per waypoint: the leg that
// ends there (its great-circle length in nautical miles and its initial
// true course) and the distance run from the first waypoint. The first
// waypoint has no leg; a leg from or to a waypoint without a position is
// unknown (NaN) and adds nothing to the total.
class RouteLegs {
public:
    struct Leg {
        float distanceNm;
        float courseTrue;
        float totalNm;
    };

    static std::vector<Leg> of(const WaypointList& waypoints);
};

} // namespace navora
