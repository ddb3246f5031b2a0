// Sequencing, report by report: the arrival alert with its beeps and re-arm,
// the passage check's timing, sharp and gentle turns, course reversal once
// per spell, destination arrival once, a route edited while active, and unit
// systems that change the numbers only.
#include "nav/EngineHarness.h"
#include "nav/LocalTime.h"
#include "nav/NavGeometry.h"

#include "nav/DisplayFields.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <regex>

namespace navora::test {
namespace {

namespace f = navora::fields;
constexpr double nm = NavGeometry::nm;

class Sequencing : public testing::Test {
protected:
    void activateLone()
    {
        lone = Waypoint::create("X", "the harbour", static_cast<float>(10 * nm), 0.0f, 0.0f);
        nav.keep(nav.engine.waypointActivated(lone));
    }
    // Closing on X (north of the start) at speed from distance miles out.
    void closeIn(double distance, double speed, double t) { nav.report(10 * nm - distance * nm, 0.0, speed, 0.0, t); }
    bool amber() const { return nav.shown.field(f::wpETE) && nav.shown.field(f::wpETE)->highlighted.value_or(false); }
    // Activates a route at B from 9 miles north, with a first pass at t = 1
    // from 'then' miles north.
    RoutePtr follow(std::initializer_list<std::pair<double, double>> points, double then)
    {
        RoutePtr r = EngineHarness::route("R", points);
        nav.report(9 * nm, 0.0, 5.0, 0.0, 0);
        nav.keep(nav.engine.activateRoute(r, 1));
        nav.report(then * nm, 0.0, 5.0, 0.0, 1);
        return r;
    }

    EngineHarness nav;
    WaypointPtr lone;
};

TEST_F(Sequencing, ArrivalAlertOnceThenBeepsAndRearmsAfterSlowing)
{
    nav.report(0.0, 0.0, 10.0, 0.0, 0);
    activateLone();
    closeIn(0.2, 10.0, 1); // about 37 s out
    EXPECT_FALSE(amber());
    closeIn(0.07, 10.0, 2); // about 13 s out
    EXPECT_TRUE(amber());
    auto alerts = nav.navigationAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].key, "WaypointArrival");
    EXPECT_EQ(alerts[0].description, "Arrival at waypoint X in 15 seconds");
    EXPECT_EQ(alerts[0].speech, "X in 15 seconds");
    EXPECT_TRUE(alerts[0].hasTexts);
    closeIn(0.05, 10.0, 3);
    closeIn(0.04, 10.0, 4);
    EXPECT_EQ(nav.beeps(), 2u);
    EXPECT_EQ(nav.navigationAlerts().size(), 1u);
    closeIn(0.035, 2.0, 5); // slowed: about 35 s out again
    EXPECT_FALSE(amber());
    closeIn(0.03, 10.0, 6);
    alerts = nav.navigationAlerts();
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[1].speech, "X in 15 seconds");
    EXPECT_EQ(alerts[1].speechOfComment, "the harbour in 15 seconds");
}

TEST_F(Sequencing, LeadTimeFollowsThePreferences)
{
    nav.report(0.0, 0.0, 10.0, 0.0, 0);
    activateLone();
    nav.engine.setArrivalAlertSeconds(0);
    for (int t = 1; t < 5; ++t)
        closeIn(0.1 - 0.02 * t, 10.0, t);
    EXPECT_TRUE(nav.navigationAlerts().empty());
    EXPECT_FALSE(amber());
    nav.engine.setArrivalAlertSeconds(60);
    closeIn(0.2, 10.0, 6); // about 37 s out
    ASSERT_EQ(nav.navigationAlerts().size(), 1u);
    EXPECT_EQ(nav.navigationAlerts()[0].description, "Arrival at waypoint X in 60 seconds");
    EXPECT_TRUE(amber());
}

TEST_F(Sequencing, PassageIsCheckedAtTheSecondRecedingReportThenEveryFiveSeconds)
{
    // A, B, C with a right angle at B; receding south of A, far from B.
    RoutePtr r = EngineHarness::route("R", {{0.0, 0.0}, {10 * nm, 0.0}, {10 * nm, 10 * nm}});
    nav.report(-5 * nm, 0.0, 5.0, 180.0, 0);
    nav.keep(nav.engine.activateRoute(r, 1));
    for (const auto& [t, lastCheck] : {std::pair{1, -4}, {2, 2}, {3, 2}, {6, 2}, {7, 7}, {8, 7}, {12, 12}}) {
        nav.report(-5 * nm, 0.0, 5.0, 180.0, t);
        EXPECT_EQ(nav.state().sequencing.lastSPcheck, EngineHarness::at(lastCheck)) << t;
    }
    EXPECT_EQ(nav.state().activeWaypoint, r->waypointAtIndex(1));
}

TEST_F(Sequencing, SharpTurnPassesAtTheFirstCheckWithinTheNextLegsLength)
{
    const double c = 10 * nm * std::cos(135 * NavGeometry::radians);
    const double s = 10 * nm * std::sin(135 * NavGeometry::radians);
    RoutePtr r = follow({{0.0, 0.0}, {10 * nm, 0.0}, {10 * nm + c, s}}, 9.2);
    nav.report(9.5 * nm, 0.0, 5.0, 0.0, 2); // the second pass knows the turn
    EXPECT_NEAR(nav.state().legCache.nextTurnAngle, 135.0f, 0.1f);
    nav.report(10.5 * nm, 0.0, 5.0, 0.0, 3); // past B: arms
    EXPECT_EQ(nav.state().activeWaypoint, r->waypointAtIndex(1));
    nav.events.clear();
    nav.report(10.6 * nm, 0.0, 5.0, 0.0, 4); // checks: passed
    EXPECT_EQ(nav.state().activeWaypoint, r->waypointAtIndex(2));
    EXPECT_EQ(nav.state().prevWaypoint, r->waypointAtIndex(1));
    // The engine advances its own copy; the document's route is left to the
    // thread that owns it.
    EXPECT_EQ(nav.state().followedRoute->activeIndex(), 2);
    EXPECT_EQ(r->activeIndex(), 1);
    EXPECT_EQ(nav.routesAnnounced(), std::vector<RoutePtr>{r});
    const auto alerts = nav.navigationAlerts();
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts.back().key, "WaypointPassage");
    EXPECT_EQ(alerts.back().description, "Arrival at B - " + LocalTime::text(EngineHarness::at(4)));
    EXPECT_EQ(alerts.back().speech, "B");
    EXPECT_TRUE(std::regex_match(
        LocalTime::text(EngineHarness::at(3)), std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d [+-]\d{4})")));
    // The new leg starts afresh.
    EXPECT_FALSE(nav.state().sequencing.lastSPcheck);
    EXPECT_EQ(nav.state().sequencing.distPA, -1.0f);
}

// A gentle turn at B: the passage is the crossing of the hyperbola through B
// with foci A and C, computed here with the test's own geometry.
TEST_F(Sequencing, GentleTurnPassesAcrossTheHyperbola)
{
    const double bLat = 10 * nm, cLat = 20 * nm, cLon = 5 * nm;
    struct Row {
        double lat, lon, track;
    };
    // Beside B short of the branch; past B towards C; just short of and
    // just past the branch.
    for (const Row& row : {Row{9.9 * nm, 0.3 * nm, 90.0}, Row{10.3 * nm, 0.1 * nm, 20.0},
             Row{9.95 * nm, 0.1 * nm, 90.0}, Row{10.05 * nm, 0.1 * nm, 90.0}}) {
        SCOPED_TRACE(row.lat / nm);
        RoutePtr r = follow({{0.0, 0.0}, {bLat, 0.0}, {cLat, cLon}}, 9);
        nav.report(row.lat, row.lon, 5.0, row.track, 2);
        nav.report(row.lat, row.lon, 5.0, row.track, 3);
        const double margin
            = (NavGeometry::distance(bLat, 0, cLat, cLon) - NavGeometry::distance(row.lat, row.lon, cLat, cLon))
            - (NavGeometry::distance(0, 0, bLat, 0) - NavGeometry::distance(row.lat, row.lon, 0, 0));
        ASSERT_GT(std::fabs(margin), 0.01) << "the row lies too near the branch to tell";
        EXPECT_EQ(nav.state().activeWaypoint == r->waypointAtIndex(2), margin > 0) << margin;
    }
}

TEST_F(Sequencing, CourseReversalOncePerRecedingSpell)
{
    RoutePtr r = follow({{0.0, 0.0}, {10 * nm, 0.0}, {20 * nm, 5 * nm}}, 9.5);
    // Past B heading away from both B and C.
    for (int t = 2; t <= 20; ++t)
        nav.report(10.5 * nm, 0.0, 5.0, 285.0, t);
    EXPECT_EQ(nav.count("CourseReversal"), 1u);
    EXPECT_EQ(nav.state().activeWaypoint, r->waypointAtIndex(1));
    nav.report(10.5 * nm, 0.0, 5.0, 180.0, 21); // closing on B again
    for (int t = 22; t <= 30; ++t)
        nav.report(10.5 * nm, 0.0, 5.0, 285.0, t);
    EXPECT_EQ(nav.count("CourseReversal"), 2u);
}

TEST_F(Sequencing, DestinationArrivalOncePerActivation)
{
    nav.report(9 * nm, 0.0, 10.0, 0.0, 0);
    activateLone();
    // 10 m/s straight away: within about 0.194 miles it counts as reached.
    double t = 1;
    for (const auto& [lat, alerts] : {std::pair{10.3, 0u}, {10.15, 1u}, {10.1, 1u}, {10.05, 1u}}) {
        nav.report(lat * nm, 0.0, 10.0, 0.0, t++);
        EXPECT_EQ(nav.count("DestinationArrival"), alerts) << lat;
    }
    EXPECT_EQ(nav.navigationAlerts().back().description, "Arrival at X - " + LocalTime::text(EngineHarness::at(2)));
    EXPECT_EQ(nav.navigationAlerts().back().speech, "X");
    EXPECT_EQ(nav.state().activeWaypoint, lone);
    // Moving off at 100 degrees from the bearing to it: never reached.
    nav.report(10.02 * nm, 0.0, 10.0, 80.0, t++);
    activateLone();
    nav.report(10.02 * nm, 0.0, 10.0, 80.0, t++);
    EXPECT_EQ(nav.count("DestinationArrival"), 1u);
}

// The engine follows its own copy of the active route: an edit reaches it
// only when the document reports it, and then whole.
TEST_F(Sequencing, EditsOfTheActiveRouteAreTakenWholeWhenReported)
{
    LogCapture log;
    RoutePtr r = EngineHarness::route("Short", {{0.0, 0.0}, {10 * nm, 0.0}, {20 * nm, 0.0}});
    nav.report(9 * nm, 0.0, 5.0, 0.0, 0);
    nav.keep(nav.engine.activateRoute(r, 1));
    r->setRouteName("Renamed");
    ASSERT_TRUE(r->deleteWaypointAtIndex(2));
    nav.report(9.1 * nm, 0.0, 5.0, 0.0, 1);
    EXPECT_EQ(nav.shown.title(f::wpBox), "Short: A->B (1 of 2)"); // not reported yet
    EXPECT_EQ(nav.state().nextWaypoint, nav.state().followedRoute->waypointAtIndex(2));
    nav.keep(nav.engine.routeEdited(r));
    EXPECT_EQ(nav.shown.title(f::wpBox), "Renamed: A->B (end)");
    EXPECT_EQ(nav.state().activeWaypoint, r->waypointAtIndex(1));
    EXPECT_FALSE(nav.state().nextWaypoint);
    // Another route's edits are none of navigation's business.
    nav.keep(nav.engine.routeEdited(EngineHarness::route("Other", {{0.0, 0.0}, {1 * nm, 0.0}})));
    EXPECT_EQ(nav.state().activeRoute, r);
    r->clearAllWaypoints();
    nav.keep(nav.engine.routeEdited(r));
    EXPECT_TRUE(log.contains("Route Renamed has no waypoints left - stopping navigation"));
    EXPECT_FALSE(nav.state().activeWaypoint);
    EXPECT_FALSE(nav.state().activeRoute);
}

// A drive through a sharp turn to the end in each unit system: the same
// alerts and times; distances and speeds scaled by the units' definitions
// (a nautical mile is 1852 m, a statute mile 1609.344 m).
TEST(UnitSystems, ChangeTheNumbersShownAndNothingElse)
{
    const auto drive = [](char units) {
        EngineHarness nav;
        nav.keep(nav.engine.changeUnits(units));
        const double c = nm * std::cos(135 * NavGeometry::radians), s = nm * std::sin(135 * NavGeometry::radians);
        nav.report(0.5 * nm, 0.0, 10.0, 0.0, 0);
        nav.keep(nav.engine.activateRoute(EngineHarness::route("U", {{0.0, 0.0}, {1 * nm, 0.0}, {1 * nm + c, s}}), 1));
        double t = 1;
        for (double lat = 0.55; lat < 1.1; lat += 0.05)
            nav.report(lat * nm, 0.0, 10.0, 0.0, t++);
        for (int i = 1; i < 40; ++i)
            nav.report(1.1 * nm + c * i / 30, s * i / 30, 10.0, 135.0, t++);
        return nav;
    };
    const EngineHarness nautical = drive('n');
    const std::vector<NavEngine::Alert> alerts = nautical.navigationAlerts();
    std::vector<std::string> keys;
    for (const NavEngine::Alert& alert : alerts)
        keys.push_back(alert.key);
    ASSERT_EQ(keys, (std::vector<std::string>{"WaypointArrival", "WaypointPassage", "DestinationArrival"}));
    struct Row {
        char units;
        double distance, speed; // a mile, a knot
    };
    for (const Row& row :
        {Row{'m', 1.852, 1.852}, Row{'i', 1852 / 1609.344, 1852 / 1609.344}, Row{'s', 1852.0, 1852 / 3600.0}}) {
        SCOPED_TRACE(row.units);
        const EngineHarness other = drive(row.units);
        const std::vector<NavEngine::Alert> otherAlerts = other.navigationAlerts();
        ASSERT_EQ(otherAlerts.size(), alerts.size());
        for (size_t i = 0; i < alerts.size(); ++i)
            EXPECT_EQ(otherAlerts[i].description, alerts[i].description);
        for (const std::string_view field : {f::wpETE, f::wpETA, f::dETE, f::dETA, f::nextWP})
            EXPECT_EQ(other.shown.text(field), nautical.shown.text(field)) << field;
        EXPECT_EQ(other.shown.title(f::wpBox), nautical.shown.title(f::wpBox));
        EXPECT_EQ(other.shown.number(f::wpBearing), nautical.shown.number(f::wpBearing));
        EXPECT_EQ(other.shown.number(f::wpCrossTrackCDI), nautical.shown.number(f::wpCrossTrackCDI));
        for (const std::string_view field : {f::wpDistance, f::wpCrossTrack})
            EXPECT_NEAR(
                other.shown.number(field).value_or(0), nautical.shown.number(field).value_or(0) * row.distance, 1e-4)
                << field;
        EXPECT_NEAR(
            other.shown.number(f::wpVMG).value_or(0), nautical.shown.number(f::wpVMG).value_or(0) * row.speed, 1e-4);
    }
}

} // namespace
} // namespace navora::test
