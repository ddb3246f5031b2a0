#pragma once

#include "model/Route.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>

namespace navora::test {

inline uint32_t bitsOf(float value)
{
    return std::bit_cast<uint32_t>(value);
}

// Floats are compared by their bits, so NaN payloads count.
inline void expectSameWaypoints(const WaypointList& actual, const WaypointList& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        SCOPED_TRACE("waypoint " + std::to_string(i));
        const WaypointSnapshot a = actual[i]->snapshot();
        const WaypointSnapshot e = expected[i]->snapshot();
        EXPECT_EQ(a.wpName, e.wpName);
        EXPECT_EQ(a.wpComment, e.wpComment);
        EXPECT_EQ(bitsOf(a.latitude), bitsOf(e.latitude));
        EXPECT_EQ(bitsOf(a.longitude), bitsOf(e.longitude));
        EXPECT_EQ(bitsOf(a.altitude), bitsOf(e.altitude));
    }
}

inline void expectSameRoute(const Route& actual, const Route& expected)
{
    EXPECT_EQ(actual.activeIndex(), expected.activeIndex());
    EXPECT_EQ(actual.routeName(), expected.routeName());
    expectSameWaypoints(actual.routeWaypoints(), expected.routeWaypoints());
}

// The documents shipped as golden files (and fuzzing seeds) hold exactly these.
inline WaypointList sampleWaypoints()
{
    constexpr float kUnknown = std::numeric_limits<float>::quiet_NaN();
    return {
        Waypoint::create("Dover", "Eastern entrance", 51.1137f, 1.3372f, kUnknown),
        Waypoint::create("Île de Ré ⚓", "", 46.2011f, -1.3636f, 12.5f),
        Waypoint::create("North Pole", "lat 90", 90.0f, -180.0f, -0.0f),
    };
}

inline RoutePtr sampleRoute()
{
    auto route = Route::create();
    route->setActiveIndex(2);
    route->setRouteName("Ärmelkanal → Biscay");
    route->setRouteWaypoints(sampleWaypoints());
    route->appendWaypoint(Waypoint::create("Cap Finisterre", "", 42.8825f, -9.2719f, 0.0f));
    return route;
}

} // namespace navora::test
