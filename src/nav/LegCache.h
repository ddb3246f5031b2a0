#pragma once

#include <cstddef>
#include <limits>

namespace navora {

// The leg values of the active leg, filled by the first pass that has the
// waypoints they need and kept until the next activation. A desired track
// counts as known when it is 0 or more, the turn angle when it is not NaN.
struct LegCache {
    // Degrees true; -1 until computed.
    float currentDTK = -1.0f;
    float nextDTK = -1.0f;
    // Turn at the active waypoint onto the next leg, -180 to +180, positive
    // to the right; NaN until computed.
    float nextTurnAngle = std::numeric_limits<float>::quiet_NaN();
    // Nautical miles of the route from the active waypoint to its end, for
    // the route totals; -1 until computed, and again when the route's
    // length changes (its document locks it while active, in part only).
    float routeRemaining = -1.0f;
    size_t routeCount = 0;
};

} // namespace navora
