// The navigation pass report by report; activation (at an index, joining,
// direct to, stopping, refused requests); the display modes.
#include "nav/ClockTime.h"
#include "nav/EngineHarness.h"
#include "nav/NavGeometry.h"

#include "nav/DisplayFields.h"
#include "nav/UtcTime.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace navora::test {
namespace {

namespace f = navora::fields;
constexpr double nm = NavGeometry::nm;
constexpr double knots = 3600.0 / 1852.0; // per metre a second

void expectBlank(const DisplayState& state, std::initializer_list<std::string_view> fields)
{
    for (const std::string_view field : fields)
        EXPECT_EQ(state.text(field), "") << field;
}

// Hours cut down to whole seconds; hours never wrap, a receding crawl or a
// NaN never overflows a part. Dates from 1970 on, past the year 9999.
TEST(ClockAndCalendarTexts, PartsAreCutDownAndYearsGoBeyondFourDigits)
{
    struct Row {
        float hours;
        const char* text;
        long long seconds;
    };
    for (const Row& row : {Row{1.5f, "1:30:00", 5400}, Row{27.2f, "27:12:00", 97920}, Row{0.0083f, "0:00:29", 29},
             Row{0.30867f, "0:18:31", 1111}, Row{1.33756f, "1:20:15", 4815}, Row{0.0f, "0:00:00", 0}}) {
        const ClockTime::Parts parts = ClockTime::partsOf(row.hours);
        EXPECT_EQ(ClockTime::text(parts), row.text);
        EXPECT_EQ(ClockTime::duration(parts).count(), row.seconds) << row.text;
    }
    EXPECT_EQ(ClockTime::partsOf(1e30f).hours, static_cast<int>(ClockTime::maximumHours));
    EXPECT_EQ(ClockTime::text(ClockTime::partsOf(std::nanf(""))), "0:00:00");
    EXPECT_EQ(ClockTime::text({999999, 59, 59}), "999999:59:59");
    EXPECT_EQ(ClockTime::text({12, 5, 9}), "12:05:09");
    for (const auto& [seconds, text] : std::initializer_list<std::pair<long long, const char*>>{
             {0, "1970-01-01 00:00:00"}, {951782400, "2000-02-29 00:00:00"}, {1714564812, "2024-05-01 12:00:12"},
             {4102444799, "2099-12-31 23:59:59"}, {-30610224000, "1000-01-01 00:00:00"},
             {253402300799, "9999-12-31 23:59:59"}, {253402300800, "10000-01-01 00:00:00"}})
        EXPECT_EQ(UtcTime::text(std::chrono::sys_seconds(std::chrono::seconds(seconds))), text);
}

class NavSolution : public testing::Test {
protected:
    // Joins the coast at an index at (miles, 0), moving north at 5 m/s (or the speed).
    void joinAt(int index, double miles, double speed = 5.0)
    {
        coast->setActiveIndex(index);
        nav.report(miles * nm, 0.0, speed, 0.0, 0);
        nav.keep(nav.engine.routeActivated(coast));
        nav.report(miles * nm, 0.0, speed, 0.0, 1);
    }
    // Coast: A to E northwards along the meridian, 10 miles apart.
    RoutePtr coast = EngineHarness::miles({{0, 0}, {10, 0}, {20, 0}, {30, 0}, {40, 0}}, "Coast");
    EngineHarness nav;
};

TEST_F(NavSolution, LegTitlesAndNextWaypoint)
{
    nav.report(15 * nm, 0.0, 5.0, 0.0, 0);
    // Then a waypoint activated: "=" the route's own at the index (direct
    // to), another name a waypoint from a list (a detour from the route).
    struct Row {
        int index;
        const char* activated;
        const char* title;
        const char* next;
    };
    for (const Row& row : {Row{2, nullptr, "Coast: B->C (2 of 4)", "D"}, Row{4, nullptr, "Coast: D->E (end)", ""},
             Row{0, nullptr, "Coast: Position->A (0 of 4)", "B"}, Row{2, "=", "Coast: Position->C (2 of 4)", "D"},
             Row{2, "Fuel Dock", "Position->Fuel Dock", "D"}, Row{4, "Fuel Dock", "Position->Fuel Dock", ""}}) {
        SCOPED_TRACE(row.title);
        coast->setActiveIndex(row.index);
        nav.keep(nav.engine.routeActivated(coast));
        if (row.activated)
            nav.keep(nav.engine.waypointActivated(std::string_view(row.activated) == "="
                    ? coast->waypointAtIndex(static_cast<size_t>(row.index))
                    : Waypoint::create(row.activated, "", 0.3f, 0.1f, 0.0f)));
        EXPECT_EQ(nav.shown.title(f::wpBox), row.title);
        EXPECT_EQ(nav.shown.text(f::nextWP), row.next);
    }
}

// A leg without a start hides the track fields until the first position
// starts it, on track.
TEST_F(NavSolution, LegWithoutStartHidesTrackFieldsUntilAPosition)
{
    coast->setActiveIndex(0);
    nav.keep(nav.engine.routeActivated(coast));
    EXPECT_EQ(nav.shown.title(f::wpBox), "Coast: ->A (0 of 4)");
    for (const std::string_view field :
        {f::wpDTK, f::unitsDTK, f::wpCrossTrack, f::unitsCrossTrack, f::wpCrossTrackCDI, f::wpCDIScale})
        EXPECT_EQ(nav.shown.visible(field), false) << field;
    nav.keep(nav.engine.activateRoute(nullptr, 0));
    nav.keep(nav.engine.waypointActivated(Waypoint::create("Lone", "", 0.1f, 0.0f, 0.0f)));
    EXPECT_EQ(nav.shown.title(f::wpBox), "->Lone");
    nav.report(0.0, 0.0, 5.0, 0.0, 0);
    nav.report(0.0, 0.0, 5.0, 0.0, 1);
    EXPECT_EQ(nav.shown.title(f::wpBox), "Position->Lone");
    EXPECT_EQ(nav.shown.visible(f::wpCrossTrackCDI), true);
    EXPECT_EQ(nav.shown.enabled(f::wpCrossTrackCDI), true);
    EXPECT_NEAR(nav.number(f::wpCrossTrack), 0.0, 1e-3);
    EXPECT_NEAR(nav.number(f::wpCrossTrackCDI), 0.0, 1e-3);
    EXPECT_NEAR(nav.number(f::wpDTK), 0.0, 0.01);
}

// Closing: the leg and the rest of the route timed at the ground speed.
// Receding, standing still, without a fix: fewer figures. Stopped: none.
TEST_F(NavSolution, FiguresWhileClosingRecedingStillOrWithoutAFix)
{
    joinAt(2, 17);
    const double d = nav.number(f::wpDistance);
    EXPECT_NEAR(d, NavGeometry::distance(17 * nm, 0, 20 * nm, 0), 0.02);
    EXPECT_NEAR(nav.number(f::wpVMG), 5.0 * knots, 1e-3);
    EXPECT_EQ(nav.number(f::wpBearing), 0.0);
    const float hours = static_cast<float>(static_cast<float>(d) / (5.0 * knots));
    const ClockTime::Parts leg = ClockTime::partsOf(hours);
    EXPECT_EQ(nav.shown.text(f::wpETE), ClockTime::text(leg));
    EXPECT_EQ(nav.shown.text(f::wpETA), UtcTime::text(EngineHarness::at(1) + ClockTime::duration(leg)));
    EXPECT_EQ(nav.shown.date(f::wpETALocal), EngineHarness::at(1) + ClockTime::duration(leg));
    const double rest = coast->distanceRemainingOnRouteFromIndex(2);
    EXPECT_NEAR(nav.number(f::dDistance), d + rest, 1e-3);
    const ClockTime::Parts total = ClockTime::partsOf(static_cast<float>(hours + rest / (knots * 5.0)));
    EXPECT_EQ(nav.shown.text(f::dETE), ClockTime::text(total));
    EXPECT_EQ(nav.shown.text(f::dETA), UtcTime::text(EngineHarness::at(1) + ClockTime::duration(total)));

    nav.report(17 * nm, 0.0, 5.0, 180.0, 2); // receding
    expectBlank(nav.shown, {f::wpETE});
    EXPECT_NEAR(nav.number(f::dDistance), nav.number(f::wpDistance) + rest, 1e-3);
    EXPECT_TRUE(nav.state().sequencing.lastSPcheck.has_value());
    nav.report(17 * nm, 0.0, 0.0, 0.0, 3); // standing still
    expectBlank(nav.shown, {f::wpETE, f::wpETA, f::wpETALocal, f::dETE, f::dETA, f::dDistance});
    EXPECT_TRUE(nav.navigationAlerts().empty());

    nav.reportNoFix(4);
    expectBlank(nav.shown, {f::wpBearing, f::wpVMG, f::wpETE, f::wpETA, f::wpETALocal, f::dDistance, f::dETE, f::dETA});
    EXPECT_EQ(nav.shown.text(f::wpDistance), "waiting for a position");
    EXPECT_EQ(nav.shown.title(f::wpBox), "Coast: B->C (2 of 4)");
    EXPECT_EQ(nav.shown.text(f::nextWP), "D");
    EXPECT_NEAR(nav.number(f::wpDTK), 0.0, 0.01);

    nav.keep(nav.engine.activateRoute(nullptr, 0));
    nav.clear();
    nav.report(15 * nm, 0.0, 5.0, 0.0, 5);
    nav.report(25 * nm, 0.0, 5.0, 180.0, 6);
    for (const DisplayBatch& batch : nav.batches)
        for (const DisplayBatch::Write& write : batch.writes())
            for (const std::string_view field : {f::wpBox, f::nextWP, f::wpLatitude, f::wpDTK, f::wpCDIScale})
                EXPECT_NE(write.field, field);
    EXPECT_TRUE(nav.navigationAlerts().empty());
}

// On the last leg the active waypoint is the destination; once it is
// reached, only where and when remain, with the way to stop.
TEST_F(NavSolution, LastLegShowsTheDestinationAndArrivalEndsTheFigures)
{
    joinAt(4, 37);
    const double d = nav.number(f::wpDistance);
    EXPECT_NEAR(d, NavGeometry::distance(37 * nm, 0, 40 * nm, 0), 0.02);
    EXPECT_EQ(nav.number(f::dDistance), d);
    const ClockTime::Parts leg = ClockTime::partsOf(static_cast<float>(d / (5.0 * knots)));
    EXPECT_EQ(nav.shown.text(f::dETE), ClockTime::text(leg));
    EXPECT_EQ(nav.shown.text(f::dETA), UtcTime::text(EngineHarness::at(1) + ClockTime::duration(leg)));
    expectBlank(nav.shown, {f::wpArrived});
    EXPECT_EQ(nav.shown.visible(f::wpStopNavigating), false);
    // Nearly there, inside the lead time (amber), then stopped at it.
    nav.report(39.995 * nm, 0.0, 5.0, 0.0, 2);
    EXPECT_EQ(nav.shown.field(f::wpETE)->highlighted, true);
    nav.report(40 * nm, 0.0, 0.0, 0.0, 3);
    ASSERT_EQ(nav.count("DestinationArrival"), 1u);
    // Drifting off afterwards changes nothing of it.
    nav.report(39.99 * nm, 0.0, 1.0, 180.0, 4);
    EXPECT_EQ(nav.shown.text(f::wpArrived), "Arrived at E");
    EXPECT_EQ(nav.shown.date(f::wpArrivedTime), EngineHarness::at(3));
    EXPECT_EQ(nav.shown.visible(f::wpStopNavigating), true);
    expectBlank(nav.shown, {f::wpVMG, f::wpETE, f::wpETA, f::wpETALocal, f::dETE, f::dETA});
    EXPECT_EQ(nav.shown.field(f::wpETE)->highlighted, false);
    EXPECT_NEAR(nav.number(f::wpDistance), NavGeometry::distance(39.99 * nm, 0, 40 * nm, 0), 1e-3);
    // Stopping clears the note and the command with the leg.
    nav.keep(nav.engine.activateRoute(nullptr, 0));
    expectBlank(nav.shown, {f::wpArrived, f::wpArrivedTime, f::dDistance});
    EXPECT_EQ(nav.shown.visible(f::wpStopNavigating), false);
}

TEST_F(NavSolution, BearingIsCutTowardZeroAndTheTurnComesOnTheSecondPass)
{
    for (const auto& [degrees, shown] : {std::pair{359.7, 359.0}, std::pair{0.4, 0.0}, std::pair{90.9, 90.0}}) {
        const double rad = degrees * NavGeometry::radians;
        nav.keep(nav.engine.waypointActivated(Waypoint::create(
            "T", "", static_cast<float>(10 * nm * std::cos(rad)), static_cast<float>(10 * nm * std::sin(rad)), 0.0f)));
        nav.report(0.0, 0.0, 5.0, degrees, 0);
        EXPECT_EQ(nav.number(f::wpBearing), shown) << degrees;
    }
    // The turn at the active waypoint wraps to within 180 degrees.
    for (const auto& [in, out, turn] :
        {std::tuple{350, 10, 20.0f}, {10, 350, -20.0f}, {0, 135, 135.0f}, {45, 300, -105.0f}}) {
        SCOPED_TRACE(testing::Message() << in << " to " << out);
        const double i = in * NavGeometry::radians, o = out * NavGeometry::radians;
        nav.keep(nav.engine.activateRoute(EngineHarness::miles({{-10 * std::cos(i), -10 * std::sin(i)}, {0, 0},
                                              {10 * std::cos(o), 10 * std::sin(o)}}),
            1));
        nav.keep(nav.engine.updateNavData());
        EXPECT_TRUE(std::isnan(nav.state().legCache.nextTurnAngle));
        nav.keep(nav.engine.updateNavData());
        EXPECT_NEAR(nav.state().legCache.nextTurnAngle, turn, 0.05);
    }
}

TEST_F(NavSolution, CrossTrackBeyondTheScalePinsTheIndicator)
{
    nav.report(0.0, 0.5 * nm, 5.0, 0.0, 0);
    nav.keep(nav.engine.activateRoute(EngineHarness::miles({{-10, 0}, {10, 0}}), 1));
    // 0.5 miles right of the leg: beyond the 0.3 scale, inside the 5. Other
    // units change the numbers shown by their definitions (a nautical mile
    // is 1852 m, a statute mile 1609.344 m), not the indicator.
    struct Row {
        int column;
        char units;
        double mile, knot; // in the units
        bool enabled;
    };
    const double mi = 1852 / 1609.344;
    const Row rows[] = {{2, 'n', 1, 1, false}, {0, 'n', 1, 1, true}, {0, 'm', 1.852, 1.852, true},
        {0, 'i', mi, mi, true}, {0, 's', 1852, 1852 / 3600.0, true}};
    double t = 1, distance = 0, vmg = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.column << row.units);
        nav.keep(nav.engine.changeCDIScale(row.column));
        nav.keep(nav.engine.changeUnits(row.units));
        nav.report(0.0, 0.5 * nm, 5.0, 0.0, t++);
        EXPECT_NEAR(nav.number(f::wpCrossTrack), 0.5 * row.mile, 0.02 * row.mile);
        EXPECT_EQ(nav.shown.enabled(f::wpCrossTrackCDI), row.enabled);
        EXPECT_NEAR(nav.number(f::wpCrossTrackCDI), -0.5, 0.01);
        distance = distance > 0 ? distance : nav.number(f::wpDistance);
        vmg = vmg > 0 ? vmg : nav.number(f::wpVMG);
        EXPECT_NEAR(nav.number(f::wpDistance), distance * row.mile, 1e-4 * row.mile);
        EXPECT_NEAR(nav.number(f::wpVMG), vmg * row.knot, 1e-4 * row.knot);
    }
    // An error right on either end of the scale is still on it.
    for (const double side : {1.0, -1.0}) {
        nav.report(0.0, side * 0.5 * nm, 5.0, 0.0, 6);
        const double error = -nav.number(f::wpCrossTrackCDI);
        nav.state().cdiMinimum = side < 0 ? error : -1.0;
        nav.state().cdiMaximum = side > 0 ? error : 1.0;
        nav.report(0.0, side * 0.5 * nm, 5.0, 0.0, 7);
        EXPECT_EQ(nav.shown.enabled(f::wpCrossTrackCDI), true) << side;
    }
}

TEST_F(NavSolution, MiniNavTitleFollowsTheLastFixStatus)
{
    coast->setActiveIndex(2);
    nav.keep(nav.engine.toggleMiniNav(true));
    nav.report(15 * nm, 0.0, 5.0, 0.0, 0);
    nav.keep(nav.engine.routeActivated(coast));
    EXPECT_EQ(nav.shown.title(f::mnBox), "3D fix - B->C");
    nav.report(15 * nm, 0.0, 5.0, 0.0, 1, 2);
    EXPECT_EQ(nav.shown.title(f::mnBox), "2D fix - B->C");
    EXPECT_EQ(nav.shown.visible(f::mnCDI), true);
    EXPECT_EQ(nav.shown.enabled(f::mnCDI), true);
    EXPECT_NEAR(nav.number(f::mnCDI), 0.0, 1e-3);
    EXPECT_NE(nav.shown.text(f::mnDistance), "");
    EXPECT_NE(nav.shown.text(f::mnETE), "");
    nav.reportNoFix(2);
    EXPECT_EQ(nav.shown.title(f::mnBox), "No GPS fix... - B->C");
    expectBlank(nav.shown, {f::mnDistance, f::mnETE});
    // A pass after an activation, before the next report, composes the same.
    coast->setActiveIndex(3);
    nav.keep(nav.engine.routeActivated(coast));
    EXPECT_EQ(nav.shown.title(f::mnBox), "No GPS fix... - C->D");
    // The full window's fields are left alone in this mode.
    EXPECT_FALSE(nav.shown.field(f::wpBox));
}

class Activation : public testing::Test {
protected:
    void expectLeg(int prev, int active, int next)
    {
        const auto at = [this](int i) { return i < 0 ? WaypointPtr() : abcd->waypointAtIndex(size_t(i)); };
        EXPECT_EQ(nav.state().prevWaypoint, at(prev));
        EXPECT_EQ(nav.state().activeWaypoint, at(active));
        EXPECT_EQ(nav.state().nextWaypoint, at(next));
    }
    RoutePtr abcd = EngineHarness::miles({{0, 0}, {10, 0}, {20, 0}, {30, 0}}, "ABCD");
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
    // Stopping clears the route and announces none.
    nav.keep(nav.engine.activateRoute(nullptr, 0));
    EXPECT_FALSE(nav.state().activeRoute);
    expectLeg(-1, -1, -1);
    EXPECT_EQ(nav.routesAnnounced(), (std::vector<RoutePtr>{abcd, abcd, nullptr}));
}

TEST_F(Activation, RequestsOutsideTheRouteAreRefused)
{
    LogCapture log;
    nav.keep(nav.engine.activateRoute(abcd, 1));
    nav.events.clear();
    RoutePtr empty = Route::create();
    RoutePtr single = letteredRoute("One", {{0.0, 0.0}});
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
        std::pair<double, double> position; // miles north and east
        int expected;
        bool positioned = true;
    };
    const Row rows[] = {
        // 0.3 miles beside A->B; C->D is a short leg 9.5 miles off whose ends
        // sum less than A->B's.
        {{{0, 0}, {20, 0}, {10, 9.3}, {10, 9.8}}, {10, 0.3}, 1},
        {{{0, 0}, {10, 0}, {20, 0}, {30, 0}, {40, 0}}, {25, 1}, 3}, // beside the middle of 2->3
        {{{0, 0}, {10, 0}, {20, 0}}, {10, 0}, 2}, // on a waypoint shared by two legs
        {{{0, 0}, {10, 0}, {10, 10}}, {-5, 0}, 1}, // before the route's start
        {{{0, 0}, {10, 0}, {10, 10}}, {10, 14}, 2}, // beyond its end, nearer the last leg's end
        {{{0, 0}, {10, 0}, {20, 0}, {30, 0}}, {}, 1, false}, // no position yet
    };
    LogCapture log;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        RoutePtr r = EngineHarness::miles(row.route);
        EngineHarness run;
        if (row.positioned)
            run.report(row.position.first * nm, row.position.second * nm, 5.0, 0.0, 0);
        r->setActiveIndex(static_cast<int>(r->count()));
        run.keep(run.engine.routeActivated(r));
        EXPECT_EQ(r->activeIndex(), row.expected);
        EXPECT_EQ(run.state().activeWaypoint, r->waypointAtIndex(static_cast<size_t>(row.expected)));
    }
    EXPECT_TRUE(log.contains("unable to autolocate - no current position available"));
    // Two waypoints are enough.
    RoutePtr two = EngineHarness::miles({{0, 0}, {10, 0}});
    nav.keep(nav.engine.autoLocateOnRoute(two));
    EXPECT_EQ(nav.state().activeRoute, two);
    EXPECT_EQ(two->activeIndex(), 1);
}

// The first waypoint and a direct to start at a copy of the position.
TEST_F(Activation, FirstWaypointAndDirectToRunFromThePosition)
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

    nav.report(5 * nm, 3 * nm, 5.0, 0.0, 2);
    abcd->setActiveIndex(2);
    nav.keep(nav.engine.routeActivated(abcd));
    nav.keep(nav.engine.waypointActivated(abcd->waypointAtIndex(2)));
    EXPECT_EQ(nav.state().prevWaypoint->wpName(), "PPOS");
    EXPECT_EQ(nav.state().nextWaypoint, abcd->waypointAtIndex(3));
    EXPECT_NEAR(nav.number(f::wpDTK), NavGeometry::bearing(5 * nm, 3 * nm, 20 * nm, 0.0), 0.05);
    EXPECT_EQ(nav.shown.title(f::wpBox), "ABCD: Position->C (2 of 3)");
    // A second waypoint: its leg starts where the position is then.
    nav.report(6 * nm, 3 * nm, 5.0, 0.0, 3);
    nav.keep(nav.engine.waypointActivated(
        Waypoint::create("Y", "", static_cast<float>(6 * nm), static_cast<float>(10 * nm), 0.0f)));
    EXPECT_NEAR(nav.number(f::wpDTK), 90.0, 0.05);
}

TEST_F(Activation, ClearingFieldsAndSwitchingModesClearTheDisplayNowShowing)
{
    nav.report(5 * nm, 0.0, 5.0, 0.0, 0);
    nav.keep(nav.engine.activateRoute(abcd, 1));
    nav.report(6 * nm, 0.0, 5.0, 0.0, 1);
    nav.keep(nav.engine.clearAllWpFields());
    expectBlank(nav.shown,
        {f::wpDistance, f::wpDTK, f::wpLatitude, f::wpLongitude, f::wpBearing, f::wpCrossTrack, f::wpETA, f::wpETE,
            f::wpVMG, f::nextWP});
    EXPECT_EQ(nav.shown.title(f::wpBox), "");
    EXPECT_EQ(nav.shown.enabled(f::wpCrossTrackCDI), false);
    EXPECT_NE(nav.shown.text(f::dETE), ""); // route totals are left as they were
    nav.report(5 * nm, 0.0, 5.0, 0.0, 2);
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
    nav.report(5 * nm, 0.0, 5.0, 0.0, 3);
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

// A column out of range is the narrowest scale; the choice keeps its place
// in other units (the middle one is 2 km). Only the navigation window asks
// before it closes.
TEST_F(Activation, CdiScalesByColumnAndTheCloseQuestion)
{
    for (const auto& [column, maximum] : {std::pair{0, 5.0}, {2, 0.3}, {3, 0.3}, {-1, 0.3}, {1, 1.0}}) {
        nav.keep(nav.engine.changeCDIScale(column));
        EXPECT_EQ(nav.state().cdiMinimum, -maximum) << column;
        EXPECT_EQ(nav.state().cdiMaximum, maximum) << column;
        EXPECT_EQ(nav.shown.field(f::wpCrossTrackCDI)->range, std::make_pair(-maximum, maximum));
    }
    nav.keep(nav.engine.changeUnits('m'));
    EXPECT_NEAR(nav.state().cdiMaximum, 2000 / 1852.0, 1e-9);
    EXPECT_NEAR(nav.shown.field(f::wpCrossTrackCDI)->range->first, -2000 / 1852.0, 1e-9);
    for (const std::string_view window : {f::miniNavWindow, f::window, std::string_view("somethingElse")})
        EXPECT_FALSE(NavEngine::closeQuestion(window)) << window;
    EXPECT_EQ(NavEngine::closeQuestion(f::navDataWindow).value().title, "Stop route navigation?");
}

} // namespace
} // namespace navora::test
