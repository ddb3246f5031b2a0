#pragma once

#include "model/Route.h"
#include "model/Waypoint.h"

#include <initializer_list>
#include <string>
#include <utility>

namespace navora::test {

// A route of waypoints named "A", "B", ... (comments "near A", ...) at the
// given latitude and longitude pairs, as the navigation tests describe them.
inline RoutePtr letteredRoute(const std::string& name, std::initializer_list<std::pair<double, double>> points)
{
    RoutePtr route = Route::create();
    route->setRouteName(name);
    char label = 'A';
    for (const auto& [lat, lon] : points) {
        route->appendWaypoint(Waypoint::create(std::string(1, label), std::string("near ") + label,
            static_cast<float>(lat), static_cast<float>(lon), 0.0f));
        ++label;
    }
    return route;
}

} // namespace navora::test
