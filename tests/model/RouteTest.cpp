#include "model/Route.h"
#include "model/RouteLegs.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace navora {
namespace {

RoutePtr routeOf(std::initializer_list<const char*> names)
{
    auto route = Route::create();
    float lon = 0.0f;
    for (const char* name : names)
        route->appendWaypoint(Waypoint::create(name, "", 0.0f, lon++, 0.0f));
    return route;
}

std::string namesOf(const Route& route)
{
    std::string names;
    for (const auto& w : route.routeWaypoints())
        names += w->wpName();
    return names;
}

TEST(Route, CheckedEditsRefuseIndicesOutsideTheList)
{
    auto route = routeOf({"A", "B", "C"});
    const auto x = Waypoint::create("X", "", 0, 0, 0);

    EXPECT_FALSE(route->insertWaypoint(x, 4));
    EXPECT_FALSE(route->insertWaypoint(x, -1));
    EXPECT_FALSE(route->replaceWaypointAtIndex(3, x));
    EXPECT_FALSE(route->replaceWaypointAtIndex(-1, x));
    EXPECT_FALSE(route->deleteWaypointAtIndex(3));
    EXPECT_FALSE(route->deleteWaypointAtIndex(-1));
    EXPECT_EQ(namesOf(*route), "ABC");

    EXPECT_TRUE(route->insertWaypoint(x, 3)); // index == count appends
    EXPECT_EQ(namesOf(*route), "ABCX");
    EXPECT_TRUE(route->insertWaypoint(Waypoint::create("Y", "", 0, 0, 0), 0));
    EXPECT_EQ(namesOf(*route), "YABCX");
    EXPECT_TRUE(route->replaceWaypointAtIndex(2, Waypoint::create("Z", "", 0, 0, 0)));
    EXPECT_EQ(namesOf(*route), "YAZCX");
    EXPECT_TRUE(route->deleteWaypointAtIndex(4));
    EXPECT_EQ(namesOf(*route), "YAZC");
}

TEST(Route, ReverseKeepsTheActiveIndex)
{
    auto route = routeOf({"A", "B", "C"});
    route->setActiveIndex(1);
    route->reverseRoute();
    EXPECT_EQ(namesOf(*route), "CBA");
    EXPECT_EQ(route->activeIndex(), 1);

    Route empty;
    empty.reverseRoute();
    EXPECT_EQ(empty.count(), 0u);
}

TEST(Route, HoldsTheVeryWaypointObjects)
{
    const auto shared = Waypoint::create("Shared", "", 1, 1, 0);
    Route route;
    route.appendWaypoint(shared);
    shared->setWpName("Renamed");
    EXPECT_EQ(route.waypointAtIndex(0)->wpName(), "Renamed");
}

TEST(Route, RemainingDistanceSumsTheLegsAhead)
{
    const auto route = routeOf({"A", "B", "C"}); // equator, longitudes 0, 1, 2
    const float leg = route->waypointAtIndex(0)->distanceFromPoint(*route->waypointAtIndex(1));
    EXPECT_NEAR(leg, 60.0f, 0.2f);
    EXPECT_NEAR(route->distanceRemainingOnRouteFromIndex(0), 2 * leg, 0.01f);
    EXPECT_NEAR(route->distanceRemainingOnRouteFromIndex(1), leg, 0.01f);
    EXPECT_EQ(route->distanceRemainingOnRouteFromIndex(2), 0.0f);
    EXPECT_EQ(route->distanceRemainingOnRouteFromIndex(7), 0.0f);
    EXPECT_EQ(routeOf({"A"})->distanceRemainingOnRouteFromIndex(0), 0.0f);
    EXPECT_EQ(Route().distanceRemainingOnRouteFromIndex(0), 0.0f);
}

TEST(RouteLegs, EachWaypointGetsTheLegThatEndsThereAndTheRunningTotal)
{
    // One degree east along the equator is 111.32 km on the ellipsoid, one
    // degree north from it 110.57 km; nautical miles of 1852 m.
    constexpr float unknown = std::numeric_limits<float>::quiet_NaN();
    const WaypointList waypoints = {
        Waypoint::create("start", "", 0.0f, 0.0f, 0.0f),
        Waypoint::create("east", "", 0.0f, 1.0f, 0.0f),
        Waypoint::create("north", "", 1.0f, 1.0f, 0.0f),
        Waypoint::create("again", "", 1.0f, 1.0f, 0.0f),
        Waypoint::create("nowhere", "", unknown, unknown, 0.0f),
        Waypoint::create("further", "", 2.0f, 1.0f, 0.0f),
    };
    const struct {
        float distance;
        float course;
        float total;
    } expected[] = {
        {unknown, unknown, 0.0f},
        {60.11f, 90.0f, 60.11f},
        {59.70f, 0.0f, 119.81f},
        {0.0f, unknown, 119.81f}, // no length, no course
        {unknown, unknown, 119.81f}, // unknown legs add nothing
        {unknown, unknown, 119.81f},
    };
    const auto legs = RouteLegs::of(waypoints);
    ASSERT_EQ(legs.size(), std::size(expected));
    const auto same = [](float actual, float wanted, float tolerance) {
        return std::isnan(wanted) ? std::isnan(actual) : std::abs(actual - wanted) <= tolerance;
    };
    for (size_t i = 0; i < legs.size(); ++i) {
        SCOPED_TRACE(waypoints[i]->wpName());
        EXPECT_TRUE(same(legs[i].distanceNm, expected[i].distance, 0.02f)) << legs[i].distanceNm;
        EXPECT_TRUE(same(legs[i].courseTrue, expected[i].course, 0.01f)) << legs[i].courseTrue;
        EXPECT_TRUE(same(legs[i].totalNm, expected[i].total, 0.04f)) << legs[i].totalNm;
    }
    EXPECT_TRUE(RouteLegs::of({}).empty());
}

} // namespace
} // namespace navora
