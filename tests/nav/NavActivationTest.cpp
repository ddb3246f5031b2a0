// Activation (routes at an index, auto-location, the detour of a waypoint
// within a route, stopping, refused requests) and the display modes (the
// MiniNav, the CDI scales, the question before the window closes).
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
    void expectLeg(int prev, int active, int next)
    {
        const auto at = [this](int i) { return i < 0 ? WaypointPtr() : abcd->waypointAtIndex(size_t(i)); };
        EXPECT_EQ(nav.state().prevWaypoint, at(prev));
        EXPECT_EQ(nav.state().activeWaypoint, at(active));
        EXPECT_EQ(nav.state().nextWaypoint, at(next));
    }

    RoutePtr abcd = EngineHarness::route("ABCD", {{0.0, 0.0}, {10 * nm, 0.0}, {20 * nm, 0.0}, {30 * nm, 0.0}});
    EngineHarness nav;
};

TEST_F(Activation, RouteAtAnIndexSetsTheLegAnnouncesItAndStops)
{
    nav.keep(nav.engine.activateRoute(abcd, 2));
    expectLeg(1, 2, 3);
    EXPECT_EQ(abcd->activeIndex(), 2);
    EXPECT_EQ(nav.routesAnnounced(), std::vector<RoutePtr>{abcd});
    EXPECT_EQ(nav.shown.field(f::navDataWindow)->fronts, 1);
    nav.keep(nav.engine.activateRoute(abcd, 3));
    EXPECT_FALSE(nav.state().nextWaypoint);
    nav.keep(nav.engine.updateNavData());
    EXPECT_EQ(nav.shown.title(f::wpBox), "ABCD: C->D (end)");
    // Stopping clears the route and announces none.
    nav.keep(nav.engine.activateRoute(nullptr, 0));
    EXPECT_FALSE(nav.state().activeRoute);
    expectLeg(-1, -1, -1);
    EXPECT_EQ(nav.routesAnnounced(), (std::vector<RoutePtr>{abcd, abcd, nullptr}));
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
    for (const auto& [route, index] : {std::pair{abcd, 4}, {abcd, -1}, {empty, 0}, {single, 1}})
        nav.keep(nav.engine.activateRoute(route, index));
    EXPECT_TRUE(log.contains("Not activating route ABCD at index 4: it has 4 waypoints"));
    nav.keep(nav.engine.autoLocateOnRoute(single));
    nav.keep(nav.engine.autoLocateOnRoute(empty));
    EXPECT_TRUE(log.contains("Not auto-locating on route One: it has fewer than two waypoints"));
    // A join request on a single waypoint arrives as index == count.
    single->setActiveIndex(1);
    nav.keep(nav.engine.routeActivated(single));
    EXPECT_EQ(nav.state().activeRoute, abcd);
    EXPECT_EQ(abcd->activeIndex(), 1);
    expectLeg(0, 1, 2);
    EXPECT_TRUE(nav.routesAnnounced().empty());
}

// Joining takes the leg whose segment passes nearest (not the one whose ends
// are nearest together), heading for its end; the later leg on a tie.
// Without a position, the first leg.
TEST_F(Activation, JoinTakesTheLegWhoseSegmentIsNearest)
{
    struct Row {
        std::vector<std::pair<double, double>> route;
        std::pair<double, double> position;
        int expected;
    };
    const Row rows[] = {
        // 0.3 miles beside A->B; C->D is a short leg 9.5 miles off whose ends
        // sum less than A->B's.
        {{{0, 0}, {20, 0}, {10, 9.3}, {10, 9.8}}, {10, 0.3}, 1},
        {{{0, 0}, {10, 0}, {20, 0}, {30, 0}, {40, 0}}, {25, 1}, 3}, // beside the middle of 2->3
        {{{0, 0}, {10, 0}, {20, 0}}, {10, 0}, 2}, // on a waypoint shared by two legs
        {{{0, 0}, {10, 0}, {10, 10}}, {-5, 0}, 1}, // before the route's start
        {{{0, 0}, {10, 0}, {10, 10}}, {10, 14}, 2}, // beyond its end, nearer the last leg's end
        {{{0, 0}, {10, 0}, {20, 0}, {30, 0}}, {-1, -1}, 1}, // no position yet
    };
    LogCapture log;
    double t = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        RoutePtr r = Route::create();
        for (const auto& [north, east] : row.route)
            r->appendWaypoint(
                Waypoint::create("W", "", static_cast<float>(north * nm), static_cast<float>(east * nm), 0.0f));
        EngineHarness run;
        if (row.position.second >= 0)
            run.report(row.position.first * nm, row.position.second * nm, 5.0, 0.0, t++);
        r->setActiveIndex(static_cast<int>(r->count()));
        run.keep(run.engine.routeActivated(r));
        EXPECT_EQ(r->activeIndex(), row.expected);
        EXPECT_EQ(run.state().activeWaypoint, r->waypointAtIndex(static_cast<size_t>(row.expected)));
    }
    EXPECT_TRUE(log.contains("unable to autolocate - no current position available"));
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
    nav.keep(nav.engine.waypointActivated(
        Waypoint::create("Y", "", static_cast<float>(6 * nm), static_cast<float>(10 * nm), 0.0f)));
    EXPECT_NEAR(nav.shown.number(f::wpDTK).value_or(-1), 90.0, 0.05);
}

TEST_F(Activation, ClearAllWpFieldsClearsTheShowingDisplay)
{
    nav.report(5 * nm, 0.0, 5.0, 0.0, 0);
    nav.keep(nav.engine.activateRoute(abcd, 1));
    nav.report(6 * nm, 0.0, 5.0, 0.0, 1);
    nav.keep(nav.engine.clearAllWpFields());
    for (const std::string_view field : {f::wpDistance, f::wpDTK, f::wpLatitude, f::wpLongitude, f::wpBearing,
             f::wpCrossTrack, f::wpETA, f::wpETE, f::wpVMG, f::nextWP})
        EXPECT_EQ(nav.shown.text(field), "") << field;
    EXPECT_EQ(nav.shown.title(f::wpBox), "");
    EXPECT_EQ(nav.shown.enabled(f::wpCrossTrackCDI), false);
    // Route totals and the local arrival are left as they were.
    EXPECT_NE(nav.shown.text(f::dETE), "");
}

TEST_F(Activation, SwitchingModesClearsTheDisplayNowShowing)
{
    nav.report(5 * nm, 0.0, 5.0, 0.0, 0);
    nav.keep(nav.engine.activateRoute(abcd, 1));
    nav.report(5 * nm, 0.0, 5.0, 0.0, 1);
    nav.keep(nav.engine.toggleMiniNav(true));
    EXPECT_TRUE(nav.state().mnOn);
    EXPECT_EQ(nav.shown.visible(f::window), false);
    EXPECT_EQ(nav.shown.visible(f::navDataWindow), false);
    EXPECT_EQ(nav.shown.field(f::miniNavWindow)->fronts, 1);
    EXPECT_EQ(nav.shown.field(f::miniNavWindow)->floating, true);
    EXPECT_EQ(nav.shown.text(f::mnDistance), "");
    EXPECT_EQ(nav.shown.enabled(f::mnCDI), false);
    nav.keep(nav.engine.showNav());
    EXPECT_EQ(nav.shown.field(f::miniNavWindow)->fronts, 2);

    nav.keep(nav.engine.toggleMiniNav(true));
    EXPECT_FALSE(nav.state().mnOn);
    EXPECT_EQ(nav.shown.visible(f::miniNavWindow), false);
    EXPECT_GE(nav.shown.field(f::window)->fronts, 1);
    EXPECT_EQ(nav.shown.title(f::wpBox), "");
    EXPECT_EQ(nav.shown.text(f::wpDistance), "");
    nav.report(5 * nm, 0.0, 5.0, 0.0, 2);
    EXPECT_EQ(nav.shown.title(f::wpBox), "ABCD: A->B (1 of 3)");

    // The MiniNav's level follows the setting and the check box.
    nav.keep(nav.engine.toggleMiniNav(false));
    EXPECT_EQ(nav.shown.field(f::miniNavWindow)->floating, false);
    nav.keep(nav.engine.setMiniNavFloating(true));
    EXPECT_EQ(nav.shown.field(f::miniNavWindow)->floating, true);
    nav.keep(nav.engine.toggleMiniNav(false));
    nav.keep(nav.engine.setMiniNavFloating(false));
    EXPECT_EQ(nav.shown.field(f::miniNavWindow)->floating, false);
    EXPECT_EQ(nav.shown.visible(f::miniNavWindow), false);
}

TEST_F(Activation, CdiScalesByColumn)
{
    struct Row {
        int column;
        double maximum;
    };
    for (const Row row : {Row{0, 5.0}, Row{2, 0.3}, Row{3, 0.3}, Row{-1, 0.3}, Row{1, 1.0}}) {
        nav.keep(nav.engine.changeCDIScale(row.column));
        EXPECT_EQ(nav.state().cdiMinimum, -row.maximum) << row.column;
        EXPECT_EQ(nav.state().cdiMaximum, row.maximum) << row.column;
        EXPECT_EQ(nav.shown.field(f::wpCrossTrackCDI)->range, std::make_pair(-row.maximum, row.maximum));
    }
    // The choice keeps its place in other units: the middle one is 2 km.
    nav.keep(nav.engine.changeUnits('m'));
    EXPECT_NEAR(nav.state().cdiMaximum, 2000 / 1852.0, 1e-9);
    EXPECT_NEAR(nav.shown.field(f::wpCrossTrackCDI)->range->first, -2000 / 1852.0, 1e-9);
}

TEST(CloseQuestion, OnlyTheNavigationWindowAsksBeforeClosing)
{
    for (const std::string_view window : {f::miniNavWindow, f::window, std::string_view("somethingElse")})
        EXPECT_FALSE(NavEngine::closeQuestion(window)) << window;
    const std::optional<NavEngine::CloseQuestion> question = NavEngine::closeQuestion(f::navDataWindow);
    ASSERT_TRUE(question);
    EXPECT_EQ(question->title, "Stop route navigation?");
    EXPECT_EQ(question->message,
        "Closing this window will stop route navigation and deactivate the current route/waypoint (if "
        "any).  Do you want to close this window?");
    EXPECT_EQ(question->yes, "Yes");
    EXPECT_EQ(question->no, "No");
}

} // namespace
} // namespace navora::test
