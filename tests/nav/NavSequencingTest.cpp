// Sequencing, report by report: the arrival alert with its beeps and re-arm,
// the passage check's timing, sharp and gentle turns, course reversal once
// per spell, destination arrival once, and a route shortened while active.
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

std::chrono::sys_seconds at(double secondsAfterStart)
{
    return std::chrono::sys_seconds(
        std::chrono::seconds(static_cast<long long>(EngineHarness::startTime + secondsAfterStart)));
}

class Sequencing : public testing::Test {
protected:
    void activateLone(double lat, double lon)
    {
        lone = Waypoint::create("X", "the harbour", static_cast<float>(lat), static_cast<float>(lon), 0.0f);
        nav.keep(nav.engine.waypointActivated(lone));
    }

    // Closing on X (north of the start) at speed from distance miles out.
    void closeIn(double distance, double speed, double t) { nav.report(10 * nm - distance * nm, 0.0, speed, 0.0, t); }

    bool highlighted(std::string_view field) const
    {
        const DisplayState state = nav.shown;
        const DisplayState::Field* shown = state.field(field);
        return shown && shown->highlighted.value_or(false);
    }

    EngineHarness nav;
    WaypointPtr lone;
};

TEST_F(Sequencing, ArrivalAlertOnceThenBeepsAndRearmsAfterSlowing)
{
    nav.report(0.0, 0.0, 10.0, 0.0, 0);
    activateLone(10 * nm, 0.0);
    closeIn(0.2, 10.0, 1); // about 37 s out
    EXPECT_FALSE(highlighted(f::wpETE));
    closeIn(0.07, 10.0, 2); // about 13 s out
    EXPECT_TRUE(highlighted(f::wpETE));
    auto alerts = nav.navigationAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].key, "WaypointArrival");
    EXPECT_EQ(alerts[0].description, "Arrival at waypoint X in 15 seconds");
    EXPECT_EQ(alerts[0].speech, "X in 15 seconds");
    EXPECT_TRUE(alerts[0].hasTexts);
    closeIn(0.05, 10.0, 3);
    closeIn(0.04, 10.0, 4);
    EXPECT_EQ(nav.beeps(), 2);
    EXPECT_EQ(nav.navigationAlerts().size(), 1u);
    closeIn(0.035, 2.0, 5); // slowed: about 35 s out again
    EXPECT_FALSE(highlighted(f::wpETE));
    closeIn(0.03, 10.0, 6);
    alerts = nav.navigationAlerts();
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[1].speech, "X in 15 seconds");
    EXPECT_EQ(alerts[1].speechOfComment, "the harbour in 15 seconds");
}

TEST_F(Sequencing, LeadTimeFollowsThePreferences)
{
    nav.report(0.0, 0.0, 10.0, 0.0, 0);
    activateLone(10 * nm, 0.0);
    nav.engine.setArrivalAlertSeconds(0);
    for (int t = 1; t < 5; ++t)
        closeIn(0.1 - 0.02 * t, 10.0, t);
    EXPECT_TRUE(nav.navigationAlerts().empty());
    EXPECT_FALSE(highlighted(f::wpETE));

    nav.engine.setArrivalAlertSeconds(60);
    closeIn(0.2, 10.0, 6); // about 37 s out
    const auto alerts = nav.navigationAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].description, "Arrival at waypoint X in 60 seconds");
    EXPECT_TRUE(highlighted(f::wpETE));
}

TEST_F(Sequencing, PassageIsCheckedAtTheSecondRecedingReportThenEveryFiveSeconds)
{
    // A, B, C with a right angle at B; receding south of A, far from B.
    RoutePtr r = EngineHarness::route("R", {{0.0, 0.0}, {10 * nm, 0.0}, {10 * nm, 10 * nm}});
    nav.report(-5 * nm, 0.0, 5.0, 180.0, 0);
    nav.keep(nav.engine.activateRoute(r, 1));
    struct Row {
        double t;
        double lastCheck;
    };
    const Row rows[] = {{1, -4}, {2, 2}, {3, 2}, {6, 2}, {7, 7}, {8, 7}, {12, 12}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.t);
        nav.report(-5 * nm, 0.0, 5.0, 180.0, row.t);
        EXPECT_EQ(nav.state().sequencing.lastSPcheck, at(row.lastCheck));
    }
    EXPECT_EQ(nav.state().activeWaypoint, r->waypointAtIndex(1));
}

TEST_F(Sequencing, SharpTurnPassesAtTheFirstCheckWithinTheNextLegsLength)
{
    const double c = 10 * nm * std::cos(135 * NavGeometry::radians);
    const double s = 10 * nm * std::sin(135 * NavGeometry::radians);
    RoutePtr r = EngineHarness::route("Sharp", {{0.0, 0.0}, {10 * nm, 0.0}, {10 * nm + c, s}});
    nav.report(9 * nm, 0.0, 5.0, 0.0, 0);
    nav.keep(nav.engine.activateRoute(r, 1));
    nav.report(9.2 * nm, 0.0, 5.0, 0.0, 1);
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
    ASSERT_EQ(nav.routesAnnounced().size(), 1u);
    EXPECT_EQ(nav.routesAnnounced()[0], r);
    const auto alerts = nav.navigationAlerts();
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts.back().key, "WaypointPassage");
    EXPECT_EQ(alerts.back().description, "Arrival at B - " + LocalTime::text(at(4)));
    EXPECT_EQ(alerts.back().speech, "B");
    EXPECT_TRUE(std::regex_match(LocalTime::text(at(3)), std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d [+-]\d{4})")));
    // The new leg starts afresh.
    EXPECT_FALSE(nav.state().sequencing.lastSPcheck);
    EXPECT_EQ(nav.state().sequencing.distPA, -1.0f);
}

// A gentle turn at B: the passage is the crossing of the hyperbola through B
// with foci A and C, computed here with the test's own geometry.
TEST_F(Sequencing, GentleTurnPassesAcrossTheHyperbola)
{
    const double bLat = 10 * nm;
    const double cLat = 20 * nm;
    const double cLon = 5 * nm;
    struct Row {
        const char* name;
        double lat;
        double lon;
        double track;
    };
    const Row rows[] = {
        {"beside B, short of the branch", 9.9 * nm, 0.3 * nm, 90.0},
        {"past B towards C", 10.3 * nm, 0.1 * nm, 20.0},
        {"just short of the branch", 9.95 * nm, 0.1 * nm, 90.0},
        {"just past the branch", 10.05 * nm, 0.1 * nm, 90.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RoutePtr r = EngineHarness::route("Gentle", {{0.0, 0.0}, {bLat, 0.0}, {cLat, cLon}});
        nav.report(9 * nm, 0.0, 5.0, 0.0, 0);
        nav.keep(nav.engine.activateRoute(r, 1));
        nav.report(9 * nm, 0.0, 5.0, 0.0, 1);
        nav.report(row.lat, row.lon, 5.0, row.track, 2);
        nav.report(row.lat, row.lon, 5.0, row.track, 3);
        const double distPA = NavGeometry::distance(0, 0, bLat, 0);
        const double distAN = NavGeometry::distance(bLat, 0, cLat, cLon);
        const double dCP = NavGeometry::distance(row.lat, row.lon, 0, 0);
        const double dCN = NavGeometry::distance(row.lat, row.lon, cLat, cLon);
        const double margin = (distAN - dCN) - (distPA - dCP);
        ASSERT_GT(std::fabs(margin), 0.01) << "the row lies too near the branch to tell";
        const bool passed = margin > 0;
        EXPECT_EQ(nav.state().activeWaypoint == r->waypointAtIndex(2), passed) << margin;
    }
}

TEST_F(Sequencing, CourseReversalOncePerRecedingSpell)
{
    RoutePtr r = EngineHarness::route("Zig", {{0.0, 0.0}, {10 * nm, 0.0}, {20 * nm, 5 * nm}});
    nav.report(9 * nm, 0.0, 5.0, 0.0, 0);
    nav.keep(nav.engine.activateRoute(r, 1));
    nav.report(9.5 * nm, 0.0, 5.0, 0.0, 1);
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
    activateLone(10 * nm, 0.0);
    struct Row {
        double lat;
        double track;
        size_t alerts;
    };
    // 10 m/s straight away: within about 0.194 miles it counts as reached.
    const Row rows[] = {{10.3, 0.0, 0}, {10.15, 0.0, 1}, {10.1, 0.0, 1}, {10.05, 0.0, 1}};
    double t = 1;
    for (const Row& row : rows) {
        nav.report(row.lat * nm, 0.0, 10.0, row.track, t++);
        EXPECT_EQ(nav.count("DestinationArrival"), row.alerts) << row.lat;
    }
    const auto alerts = nav.navigationAlerts();
    EXPECT_EQ(alerts.back().description, "Arrival at X - " + LocalTime::text(at(2)));
    EXPECT_EQ(alerts.back().speech, "X");
    EXPECT_EQ(nav.state().activeWaypoint, lone);

    // Moving off at 100 degrees from the bearing to it: never reached.
    nav.report(10.02 * nm, 0.0, 10.0, 80.0, t++);
    activateLone(10 * nm, 0.0);
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
    RoutePtr other = EngineHarness::route("Other", {{0.0, 0.0}, {1 * nm, 0.0}});
    nav.keep(nav.engine.routeEdited(other));
    EXPECT_EQ(nav.state().activeRoute, r);

    r->clearAllWaypoints();
    nav.keep(nav.engine.routeEdited(r));
    EXPECT_TRUE(log.contains("Route Renamed has no waypoints left - stopping navigation"));
    EXPECT_FALSE(nav.state().activeWaypoint);
    EXPECT_FALSE(nav.state().activeRoute);
}

} // namespace
} // namespace navora::test

namespace navora::test {
namespace {

struct DriveOutcome {
    DisplayState state;
    std::vector<NavEngine::Alert> alerts;
    double dstconv = 0;
    double spdconv = 0;
};

// Nautical miles and knots in each system's units, from the units'
// definitions (a nautical mile is 1852 m, a statute mile 1609.344 m).
double dstconv(char units)
{
    switch (units) {
    case 'm':
        return 1.852;
    case 'i':
        return 1852.0 / 1609.344;
    case 's':
        return 1852.0;
    default:
        return 1.0;
    }
}

double spdconv(char units)
{
    switch (units) {
    case 'm':
        return 3.6;
    case 'i':
        return 3600.0 / 1609.344;
    case 's':
        return 1.0;
    default:
        return 3600.0 / 1852.0;
    }
}

// A drive through a sharp turn to the end, in the given unit system.
DriveOutcome driveIn(char units)
{
    EngineHarness nav;
    nav.keep(nav.engine.changeUnits(units));
    const double c = 10 * nm * std::cos(135 * NavGeometry::radians);
    const double s = 10 * nm * std::sin(135 * NavGeometry::radians);
    RoutePtr r = EngineHarness::route("U", {{0.0, 0.0}, {1 * nm, 0.0}, {1 * nm + c / 10, s / 10}});
    nav.report(0.5 * nm, 0.0, 10.0, 0.0, 0);
    nav.keep(nav.engine.activateRoute(r, 1));
    double t = 1;
    for (double lat = 0.55; lat < 1.1; lat += 0.05)
        nav.report(lat * nm, 0.0, 10.0, 0.0, t++);
    for (int i = 1; i < 40; ++i)
        nav.report((1.1 + c * i / 300 / nm) * nm, s * i / 300, 10.0, 135.0, t++);
    return {nav.shown, nav.navigationAlerts(), dstconv(units), spdconv(units)};
}

TEST(UnitSystems, ChangeTheNumbersShownAndNothingElse)
{
    namespace f = navora::fields;
    const DriveOutcome nautical = driveIn('n');
    std::vector<std::string> keys;
    for (const NavEngine::Alert& alert : nautical.alerts)
        keys.push_back(alert.key);
    ASSERT_EQ(keys, (std::vector<std::string>{"WaypointArrival", "WaypointPassage", "DestinationArrival"}));
    for (const char units : {'m', 'i', 's'}) {
        SCOPED_TRACE(units);
        const DriveOutcome other = driveIn(units);
        ASSERT_EQ(other.alerts.size(), nautical.alerts.size());
        for (size_t i = 0; i < other.alerts.size(); ++i) {
            EXPECT_EQ(other.alerts[i].key, nautical.alerts[i].key);
            EXPECT_EQ(other.alerts[i].description, nautical.alerts[i].description);
        }
        for (const std::string_view field : {f::wpETE, f::wpETA, f::dETE, f::dETA, f::nextWP})
            EXPECT_EQ(other.state.text(field), nautical.state.text(field)) << field;
        EXPECT_EQ(other.state.title(f::wpBox), nautical.state.title(f::wpBox));
        EXPECT_EQ(other.state.number(f::wpBearing), nautical.state.number(f::wpBearing));
        EXPECT_EQ(other.state.number(f::wpCrossTrackCDI), nautical.state.number(f::wpCrossTrackCDI));
        for (const std::string_view field : {f::wpDistance, f::wpCrossTrack})
            EXPECT_NEAR(other.state.number(field).value_or(0),
                nautical.state.number(field).value_or(0) / nautical.dstconv * other.dstconv, 1e-4)
                << field;
        EXPECT_NEAR(other.state.number(f::wpVMG).value_or(0),
            nautical.state.number(f::wpVMG).value_or(0) / nautical.spdconv * other.spdconv, 1e-4);
    }
}

} // namespace
} // namespace navora::test
