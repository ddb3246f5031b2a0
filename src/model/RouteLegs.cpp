#include "model/RouteLegs.h"

#include <cmath>
#include <limits>

namespace navora {

std::vector<RouteLegs::Leg> RouteLegs::of(const WaypointList& waypoints)
{
    constexpr float unknown = std::numeric_limits<float>::quiet_NaN();
    std::vector<Leg> legs;
    legs.reserve(waypoints.size());
    float total = 0.0f;
    for (size_t i = 0; i < waypoints.size(); ++i) {
        if (i == 0) {
            legs.push_back({unknown, unknown, 0.0f});
            continue;
        }
        const Waypoint& from = *waypoints[i - 1];
        const Waypoint& to = *waypoints[i];
        const float distance = to.distanceFromPoint(from);
        // A leg of no length has no course.
        const float course = distance > 0.0f ? to.bearingFromPoint(from) : unknown;
        if (!std::isnan(distance))
            total += distance;
        legs.push_back({distance, course, total});
    }
    return legs;
}

} // namespace navora
