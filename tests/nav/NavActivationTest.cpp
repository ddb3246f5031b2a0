// Activation: routes at an index, auto-location, the detour of a waypoint
// within a route, stopping, and the requests that are refused.
#include "nav/EngineHarness.h"
#include "nav/NavGeometry.h"

#include "nav/DisplayFields.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace navora::test {
namespace {

namespace f = navora::fields;
constexpr double nm = NavGeometry::nm;

class Activation : public testing::Test {
protected:
    RoutePtr abcd = EngineHarness::route("ABCD", {{0.0, 0.0}, {10 * nm, 0.0}, {20 * nm, 0.0}, {30 * nm, 0.0}});
    EngineHarness nav;
};

TEST_F(Activation, RouteAtAnIndexSetsTheLegAndAnnouncesIt)
{
    nav.keep(nav.engine.activateRoute(abcd, 2));
    EXPECT_EQ(nav.state().activeWaypoint, abcd->waypointAtIndex(2));
    EXPECT_EQ(nav.state().prevWaypoint, abcd->waypointAtIndex(1));
    EXPECT_EQ(nav.state().nextWaypoint, abcd->waypointAtIndex(3));
    EXPECT_EQ(abcd->activeIndex(), 2);
    ASSERT_EQ(nav.routesAnnounced().size(), 1u);
    EXPECT_EQ(nav.routesAnnounced()[0], abcd);
    EXPECT_EQ(nav.shown.field(f::navDataWindow)->fronts, 1);

    nav.keep(nav.engine.activateRoute(abcd, 3));
    EXPECT_FALSE(nav.state().nextWaypoint);
    nav.keep(nav.engine.updateNavData());
    EXPECT_EQ(nav.shown.title(f::wpBox), "ABCD: C->D (end)");
}

TEST_F(Activation, FirstWaypointStartsAtACopyOfThePosition)
{
    nav.report(-5 * nm, 0.0, 5.0, 0.0, 0);
    nav.keep(nav.engine.activateRoute(abcd, 0));
    const WaypointPtr start = nav.state().prevWaypoint;
    ASSERT_TRUE(start);
    EXPECT_NE(start, nav.state().fix.currentPos);
    EXPECT_EQ(start->wpName(), "PPOS");
    const float lat = start->latitude();
    nav.report(-4 * nm, 0.0, 5.0, 0.0, 1);
    EXPECT_EQ(start->latitude(), lat);
    EXPECT_NE(nav.state().fix.currentPos->latitude(), lat);
}

TEST_F(Activation, RequestsOutsideTheRouteAreRefused)
{
    LogCapture log;
    nav.keep(nav.engine.activateRoute(abcd, 1));
    nav.events.clear();
    RoutePtr empty = Route::create();
    RoutePtr single = EngineHarness::route("One", {{0.0, 0.0}});
    struct Row {
        RoutePtr route;
        int index;
    };
    for (const Row& row : {Row{abcd, 4}, Row{abcd, -1}, Row{empty, 0}, Row{single, 1}}) {
        nav.keep(nav.engine.activateRoute(row.route, row.index));
        EXPECT_EQ(nav.state().activeRoute, abcd);
        EXPECT_EQ(nav.state().activeWaypoint, abcd->waypointAtIndex(1));
    }
    EXPECT_EQ(abcd->activeIndex(), 1);
    EXPECT_TRUE(log.contains("Not activating route ABCD at index 4: it has 4 waypoints"));
    nav.keep(nav.engine.autoLocateOnRoute(single));
    nav.keep(nav.engine.autoLocateOnRoute(empty));
    EXPECT_TRUE(log.contains("Not auto-locating on route One: it has fewer than two waypoints"));
    EXPECT_EQ(nav.state().activeRoute, abcd);
    EXPECT_TRUE(nav.routesAnnounced().empty());
    // A join request on a single waypoint arrives as index == count.
    single->setActiveIndex(1);
    nav.keep(nav.engine.routeActivated(single));
    EXPECT_EQ(nav.state().activeRoute, abcd);
}

// Joining takes the leg whose segment passes nearest (not the one whose ends
// are nearest together), heading for its end; the later leg on a tie.
TEST_F(Activation, JoinTakesTheLegWhoseSegmentIsNearest)
{
    struct Row {
        const char* name;
        std::vector<std::pair<double, double>> route;
        std::pair<double, double> position;
        int expected;
    };
    const Row rows[] = {
        // 0.3 miles beside A->B; C->D is a short leg 9.5 miles off whose ends
        // sum less than A->B's.
        {"beside a long leg, a short one far off", {{0, 0}, {20, 0}, {10, 9.3}, {10, 9.8}}, {10, 0.3}, 1},
        {"beside the middle of 2->3", {{0, 0}, {10, 0}, {20, 0}, {30, 0}, {40, 0}}, {25, 1}, 3},
        {"on a waypoint shared by two legs", {{0, 0}, {10, 0}, {20, 0}}, {10, 0}, 2},
        {"before the route's start", {{0, 0}, {10, 0}, {10, 10}}, {-5, 0}, 1},
        {"beyond its end, nearer the last leg's end", {{0, 0}, {10, 0}, {10, 10}}, {10, 14}, 2},
    };
    double t = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RoutePtr r = Route::create();
        for (const auto& [north, east] : row.route)
            r->appendWaypoint(
                Waypoint::create("W", "", static_cast<float>(north * nm), static_cast<float>(east * nm), 0.0f));
        nav.report(row.position.first * nm, row.position.second * nm, 5.0, 0.0, t++);
        r->setActiveIndex(static_cast<int>(r->count()));
        nav.keep(nav.engine.routeActivated(r));
        EXPECT_EQ(r->activeIndex(), row.expected);
        EXPECT_EQ(nav.state().activeWaypoint, r->waypointAtIndex(static_cast<size_t>(row.expected)));
    }
}

TEST_F(Activation, JoinWithoutAPositionTakesTheFirstLeg)
{
    LogCapture log;
    abcd->setActiveIndex(4);
    nav.keep(nav.engine.routeActivated(abcd));
    EXPECT_TRUE(log.contains("unable to autolocate - no current position available"));
    EXPECT_EQ(abcd->activeIndex(), 1);
    // Two waypoints are enough.
    RoutePtr two = EngineHarness::route("Two", {{0.0, 0.0}, {10 * nm, 0.0}});
    nav.keep(nav.engine.autoLocateOnRoute(two));
    EXPECT_EQ(nav.state().activeRoute, two);
    EXPECT_EQ(two->activeIndex(), 1);
}

TEST_F(Activation, DirectToRunsFromThePositionAndKeepsTheRoute)
{
    nav.report(5 * nm, 3 * nm, 5.0, 0.0, 0);
    abcd->setActiveIndex(2);
    nav.keep(nav.engine.routeActivated(abcd));
    nav.keep(nav.engine.waypointActivated(abcd->waypointAtIndex(2)));
    EXPECT_EQ(nav.state().prevWaypoint->wpName(), "PPOS");
    EXPECT_EQ(nav.state().nextWaypoint, abcd->waypointAtIndex(3));
    EXPECT_NEAR(nav.shown.number(f::wpDTK).value_or(-1), NavGeometry::bearing(5 * nm, 3 * nm, 20 * nm, 0.0), 0.05);
    EXPECT_EQ(nav.shown.title(f::wpBox), "ABCD: Position->C (2 of 3)");

    // A second waypoint: its leg starts where the position is then.
    nav.report(6 * nm, 3 * nm, 5.0, 0.0, 1);
    const WaypointPtr y = Waypoint::create("Y", "", static_cast<float>(6 * nm), static_cast<float>(10 * nm), 0.0f);
    nav.keep(nav.engine.waypointActivated(y));
    EXPECT_NEAR(nav.shown.number(f::wpDTK).value_or(-1), 90.0, 0.05);
}

TEST_F(Activation, StoppingClearsTheRouteAndAnnouncesNone)
{
    nav.keep(nav.engine.activateRoute(abcd, 2));
    nav.keep(nav.engine.activateRoute(nullptr, 0));
    EXPECT_FALSE(nav.state().activeRoute);
    EXPECT_FALSE(nav.state().activeWaypoint);
    EXPECT_FALSE(nav.state().nextWaypoint);
    ASSERT_EQ(nav.routesAnnounced().size(), 2u);
    EXPECT_EQ(nav.routesAnnounced()[1], nullptr);
}

TEST_F(Activation, ClearAllWpFieldsClearsTheShowingDisplay)
{
    nav.report(5 * nm, 0.0, 5.0, 0.0, 0);
    nav.keep(nav.engine.activateRoute(abcd, 1));
    nav.report(6 * nm, 0.0, 5.0, 0.0, 1);
    nav.keep(nav.engine.clearAllWpFields());
    DisplayState state = nav.shown;
    for (const std::string_view field : {f::wpDistance, f::wpDTK, f::wpLatitude, f::wpLongitude, f::wpBearing,
             f::wpCrossTrack, f::wpETA, f::wpETE, f::wpVMG, f::nextWP})
        EXPECT_EQ(state.text(field), "") << field;
    EXPECT_EQ(state.title(f::wpBox), "");
    EXPECT_EQ(state.enabled(f::wpCrossTrackCDI), false);
    // Route totals and the local arrival are left as they were.
    EXPECT_NE(state.text(f::dETE), "");
}

} // namespace
} // namespace navora::test
