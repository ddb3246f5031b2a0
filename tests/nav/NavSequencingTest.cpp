// Sequencing report by report (by miles and knots whatever the units shown),
// then whole drives on the tests' own flat grid.
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
using Point = NavGeometry::Point;

// An alert's key, description and speech.
std::string said(const NavEngine::Alert& a)
{
    return a.key + ": " + a.description + " / " + a.speech;
}

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
    // Activates a route (miles) at B from 9 miles north; a first pass at
    // t = 1 from 'then' miles north.
    RoutePtr follow(std::vector<std::pair<double, double>> points, double then)
    {
        RoutePtr r = EngineHarness::miles(std::move(points));
        nav.report(9 * nm, 0.0, 5.0, 0.0, 0);
        nav.keep(nav.engine.activateRoute(r, 1));
        nav.report(then * nm, 0.0, 5.0, 0.0, 1);
        return r;
    }
    EngineHarness nav;
    WaypointPtr lone;
};

TEST_F(Sequencing, ArrivalAlertOnceThenBeepsRearmsAfterSlowingAndFollowsTheLeadTime)
{
    nav.keep(nav.engine.changeUnits('m'));
    nav.report(0.0, 0.0, 10.0, 0.0, 0);
    activateLone();
    closeIn(0.2, 10.0, 1); // about 37 s out
    EXPECT_FALSE(amber());
    closeIn(0.07, 10.0, 2); // about 13 s out
    EXPECT_TRUE(amber());
    auto alerts = nav.navigationAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(said(alerts[0]), "WaypointArrival: Arrival at waypoint X in 15 seconds / X in 15 seconds");
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
    // The lead time follows the preferences: none, then a minute.
    nav.engine.setArrivalAlertSeconds(0);
    for (int t = 7; t < 10; ++t)
        closeIn(0.03 - 0.005 * (t - 6), 10.0, t);
    EXPECT_EQ(nav.navigationAlerts().size(), 2u);
    EXPECT_FALSE(amber());
    nav.engine.setArrivalAlertSeconds(60);
    closeIn(0.2, 10.0, 10); // about 37 s out
    ASSERT_EQ(nav.navigationAlerts().size(), 3u);
    EXPECT_EQ(nav.navigationAlerts()[2].description, "Arrival at waypoint X in 60 seconds");
    EXPECT_TRUE(amber());
}

TEST_F(Sequencing, PassageIsCheckedAtTheSecondRecedingReportThenEveryFiveSeconds)
{
    // A right angle at B; receding south of A, far from B.
    RoutePtr r = EngineHarness::miles({{0, 0}, {10, 0}, {10, 10}});
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
    const double turn = 135 * NavGeometry::radians;
    RoutePtr r = follow({{0, 0}, {10, 0}, {10 + 10 * std::cos(turn), 10 * std::sin(turn)}}, 9.2);
    nav.report(9.5 * nm, 0.0, 5.0, 0.0, 2); // the second pass knows the turn
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
    ASSERT_FALSE(nav.navigationAlerts().empty());
    EXPECT_EQ(said(nav.navigationAlerts().back()),
        "WaypointPassage: Arrival at B - " + LocalTime::text(EngineHarness::at(4)) + " / B");
    EXPECT_TRUE(std::regex_match(
        LocalTime::text(EngineHarness::at(3)), std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d [+-]\d{4})")));
    // The new leg starts afresh.
    EXPECT_FALSE(nav.state().sequencing.lastSPcheck);
    EXPECT_EQ(nav.state().sequencing.distPA, -1.0f);
}

// A gentle turn at B: the passage is the crossing of the hyperbola through B
// with foci A and C, computed with the tests' own geometry.
TEST_F(Sequencing, GentleTurnPassesAcrossTheHyperbola)
{
    const auto miles
        = [](Point p, double north, double east) { return NavGeometry::distance(p.lat, p.lon, north * nm, east * nm); };
    // Beside B short of the branch; past B towards C; just short of and just
    // past the branch.
    for (const auto& [north, east, track] :
        {std::tuple{9.9, 0.3, 90.0}, {10.3, 0.1, 20.0}, {9.95, 0.1, 90.0}, {10.05, 0.1, 90.0}}) {
        SCOPED_TRACE(north);
        RoutePtr r = follow({{0, 0}, {10, 0}, {20, 5}}, 9);
        nav.report(north * nm, east * nm, 5.0, track, 2);
        nav.report(north * nm, east * nm, 5.0, track, 3);
        const Point p{north * nm, east * nm}, b{10 * nm, 0};
        const double margin = (miles(b, 20, 5) - miles(p, 20, 5)) - (miles(b, 0, 0) - miles(p, 0, 0));
        ASSERT_GT(std::fabs(margin), 0.01) << "the row lies too near the branch to tell";
        EXPECT_EQ(nav.state().activeWaypoint == r->waypointAtIndex(2), margin > 0) << margin;
    }
}

// In SI units: reached by miles, whatever is shown.
TEST_F(Sequencing, DestinationArrivalOncePerActivation)
{
    nav.keep(nav.engine.changeUnits('s'));
    nav.report(9 * nm, 0.0, 10.0, 0.0, 0);
    activateLone();
    // 10 m/s straight away: within about 0.194 miles it counts as reached.
    double t = 1;
    for (const auto& [lat, alerts] : {std::pair{10.3, 0u}, {10.15, 1u}, {10.1, 1u}, {10.05, 1u}}) {
        nav.report(lat * nm, 0.0, 10.0, 0.0, t++);
        EXPECT_EQ(nav.count("DestinationArrival"), alerts) << lat;
    }
    EXPECT_EQ(said(nav.navigationAlerts().back()),
        "DestinationArrival: Arrival at X - " + LocalTime::text(EngineHarness::at(2)) + " / X");
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
    RoutePtr r = EngineHarness::miles({{0, 0}, {10, 0}, {20, 0}}, "Short");
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
    nav.keep(nav.engine.routeEdited(EngineHarness::miles({{0, 0}, {1, 0}})));
    EXPECT_EQ(nav.state().activeRoute, r);
    r->clearAllWaypoints();
    nav.keep(nav.engine.routeEdited(r));
    EXPECT_TRUE(log.contains("Route Renamed has no waypoints left - stopping navigation"));
    EXPECT_FALSE(nav.state().activeWaypoint);
    EXPECT_FALSE(nav.state().activeRoute);
}

double milesBetween(const Point& p, double north, double east)
{
    return NavGeometry::distance(p.lat, p.lon, north * nm, east * nm);
}

// A boat reporting once a second, from miles north and east of the origin;
// the passages and destination arrivals by the mark's name and where the
// boat was.
struct Boat {
    // Sails on a track at a speed (metres per second) for some seconds.
    void sail(double track, double speed, int count, double eph = std::nan(""))
    {
        for (int i = 0; i < count; ++i) {
            const double miles = speed / 1852.0, rad = track * NavGeometry::radians;
            where = NavGeometry::offset(where, miles * std::cos(rad), miles * std::sin(rad));
            report(track, speed, eph);
        }
    }
    // Straight for the point (miles north and east) until there.
    void sailFor(double north, double east, double speed)
    {
        while (milesBetween(where, north, east) > speed / 1852.0)
            sail(NavGeometry::bearing(where.lat, where.lon, north * nm, east * nm), speed, 1);
    }
    // A report of a new second here, without moving.
    void report(double track, double speed, double eph = std::nan(""))
    {
        GPSRecord r = EngineHarness::fix(where.lat, where.lon, speed, track, seconds++);
        r.fix.eph = eph;
        const size_t before = nav.events.size();
        nav.take(r);
        for (size_t i = before; i < nav.events.size(); ++i) {
            const auto* alert = std::get_if<NavEngine::Alert>(&nav.events[i]);
            if (alert && (alert->key == "WaypointPassage" || alert->key == "DestinationArrival"))
                arrivals.push_back({alert->speech, where});
        }
    }
    void activate(const RoutePtr& r, int index) { nav.keep(nav.engine.activateRoute(r, index)); }
    EngineHarness& nav;
    Point where;
    std::vector<std::pair<std::string, Point>> arrivals = {};
    int seconds = 0;
};

// Drives: B is passed on the overshoot; C, behind the boat, only once the
// boat has come to C and turned. A 135-degree turn is not passed on a swerve
// six miles short, only on the overshoot. A first leg without start (active
// before any fix) is passed only after reaching A. Coming round a hairpin is
// no course reversal; turning back after closing on the next mark is, once
// each time. A
// waypoint entered twice is one mark, passed once in either direction.
TEST(SafeSequencing, DrivesPassEachMarkOnlyWhenThere)
{
    // On a track at a speed (m/s) for some seconds; with no seconds,
    // straight for the point 'to' (miles north and east).
    struct Leg {
        double track, speed;
        int seconds;
        std::pair<double, double> to = {};
    };
    // A passage or destination arrival: the mark, within miles of a point.
    struct Mark {
        const char* name;
        double north, east, within;
    };
    struct Drive {
        const char* name;
        std::vector<std::pair<double, double>> route;
        int index;
        bool activateFirst;
        double north, track, speed;
        std::vector<Leg> legs;
        std::vector<Mark> marks;
        const char* active;
        size_t reversals;
    };
    const double c = std::cos(135 * NavGeometry::radians), s = std::sin(135 * NavGeometry::radians);
    const std::vector<std::pair<double, double>> hairpin{{0, 0}, {10, 0}, {10 + 5 * c, 5 * s}, {5 + 5 * c, 1 + 5 * s}};
    const std::vector<Leg> comeRound{{0, 10, 40}, {60, 10, 10}, {100, 10, 10}, {135, 10, 30}};
    std::vector<Leg> turnBack = comeRound;
    turnBack.insert(turnBack.end(), {{315, 10, 20}, {135, 10, 20}, {315, 10, 20}});
    const Drive drives[] = {
        {"zig-zag", {{0, 0}, {1, 0}, {0.2, 0.2}, {1.2, 0.4}}, 1, false, 0.9, 0, 5,
            {{0, 5, 180}, {0, 5, 0, {0.2, 0.2}}, {NavGeometry::bearing(0.2, 0.2, 1.2, 0.4), 5, 30}},
            {{"B", 1, 0, 0.02}, {"C", 0.2, 0.2, 0.05}}, "D", 0},
        {"swerve before a hairpin", {{0, 0}, {10, 0}, {10 + 10 * c, 10 * s}}, 1, false, 3.9, 0, 10,
            {{0, 10, 20}, {200, 10, 12}, {0, 10, 30}, {0, 20, 0, {10, 0}}, {0, 20, 15}}, {{"B", 10, 0, 0.1}}, "C", 0},
        {"first leg, heading away", {{0, 0}, {10, 0}}, 0, true, -8, 180, 5, {{180, 5, 30}}, {}, "A", 0},
        {"first leg, from A", {{0, 0}, {10, 0}}, 0, true, 0, 0, 5, {{0, 5, 10}}, {{"A", 0, 0, 0.02}}, "B", 0},
        {"coming round a hairpin", hairpin, 1, false, 9.9, 0, 10, comeRound, {{"B", 10, 0, 0.3}}, "C", 0},
        {"turning back twice after it", hairpin, 1, false, 9.9, 0, 10, turnBack, {{"B", 10, 0, 0.3}}, nullptr, 2},
        {"twice, northbound, gentle turn", {{0, 0}, {1, 0}, {1, 0}, {2, 0.5}}, 1, false, 0.9, 0, 5,
            {{0, 5, 40}, {NavGeometry::bearing(1 * nm, 0, 2 * nm, 0.5 * nm), 5, 30}}, {{"B", 1, 0, 0.2}}, "D", 0},
        {"twice, southbound, hairpin", {{2, 0}, {1, 0}, {1, 0}, {2, 0.3}}, 1, false, 1.1, 180, 5,
            {{180, 5, 40}, {NavGeometry::bearing(1 * nm, 0, 2 * nm, 0.3 * nm), 5, 30}}, {{"B", 1, 0, 0.2}}, "D", 0},
    };
    for (const Drive& drive : drives) {
        SCOPED_TRACE(drive.name);
        EngineHarness nav;
        Boat boat{nav, {drive.north * nm, 0}};
        RoutePtr r = EngineHarness::miles(drive.route);
        if (drive.activateFirst)
            boat.activate(r, drive.index);
        boat.report(drive.track, drive.speed);
        if (!drive.activateFirst)
            boat.activate(r, drive.index);
        for (const Leg& leg : drive.legs) {
            if (leg.seconds > 0)
                boat.sail(leg.track, leg.speed, leg.seconds);
            else
                boat.sailFor(leg.to.first, leg.to.second, leg.speed);
        }
        ASSERT_EQ(boat.arrivals.size(), drive.marks.size());
        for (size_t i = 0; i < drive.marks.size(); ++i) {
            const Mark& mark = drive.marks[i];
            EXPECT_EQ(boat.arrivals[i].first, mark.name);
            EXPECT_LT(milesBetween(boat.arrivals[i].second, mark.north, mark.east), mark.within) << mark.name;
        }
        if (drive.active) {
            ASSERT_TRUE(nav.state().activeWaypoint);
            EXPECT_EQ(nav.state().activeWaypoint->wpName(), drive.active);
        }
        EXPECT_EQ(nav.count("CourseReversal"), drive.reversals);
    }
    // A route of one place only is on its last leg at once.
    EngineHarness nav;
    RoutePtr same = EngineHarness::miles({{1, 0}, {1, 0}, {1, 0}});
    nav.keep(nav.engine.activateRoute(same, 1));
    EXPECT_EQ(nav.state().activeWaypoint, same->waypointAtIndex(2));
    EXPECT_FALSE(nav.state().nextWaypoint);
}

// The destination is reached at any speed: within the arrival distance (the
// larger of 0.01 mile and the fix's error estimate) once no longer closing,
// or passed abeam close by; a pass a mile off is no arrival.
TEST(SafeSequencing, DestinationReachedSlowlyOrAbeam)
{
    struct Row {
        double eastMetres, speed, eph;
        // Miles past the destination's latitude where it is reached; none
        // when earliest is negative.
        double earliest, latest;
    };
    const double unknown = std::nan("");
    const Row rows[] = {
        {0, 1, unknown, 0.0, 0.002}, // straight through at 1 m/s
        {30, 1, unknown, 0.005, 0.015}, // 30 m abeam: once beyond 36 s at its speed
        {40, 1, 50, 0.0, 0.002}, // 40 m off, error estimate 50 m
        {150, 12, unknown, 0.03, 0.07}, // 150 m abeam at 12 m/s: receding fast
        {1852, 1, unknown, -1, 0}, // a mile off
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.eastMetres);
        EngineHarness nav;
        Boat boat{nav, {0.9 * nm, row.eastMetres / 1852.0 * nm}};
        boat.report(0.0, row.speed, row.eph);
        boat.activate(EngineHarness::miles({{0, 0}, {1, 0}}), 1);
        boat.sail(0.0, row.speed, static_cast<int>(0.5 * 1852 / row.speed), row.eph);
        ASSERT_EQ(boat.arrivals.size(), row.earliest >= 0 ? 1u : 0u);
        if (row.earliest < 0)
            continue;
        const double past = boat.arrivals[0].second.lat / nm - 1.0;
        EXPECT_GE(past, row.earliest);
        EXPECT_LE(past, row.latest);
    }
    // Stopped 10 m short: arrived, once the boat no longer closes.
    EngineHarness nav;
    Boat boat{nav, {(1.0 - 10 / 1852.0) * nm, 0}};
    boat.report(0.0, 1.0);
    boat.activate(EngineHarness::miles({{0, 0}, {1, 0}}), 1);
    EXPECT_EQ(nav.count("DestinationArrival"), 0u);
    boat.report(0.0, 0.0);
    EXPECT_EQ(nav.count("DestinationArrival"), 1u);
}

// Direct To the last waypoint after its route's activation: both pass over
// one fix, which is decided once, at the first of them; a repeated report
// changes nothing. Leaving it (1.02 miles north), the destination is
// announced once whatever follows; closing (0.95 miles, about 9 s out) the
// arrival is announced without a beep, which comes with the next second.
TEST(SafeSequencing, EachFixIsDecidedOnce)
{
    for (const auto& [north, speed, key] :
        {std::tuple{1.02, 5.0, "DestinationArrival"}, std::tuple{0.95, 10.0, "WaypointArrival"}}) {
        SCOPED_TRACE(key);
        EngineHarness nav;
        RoutePtr r = EngineHarness::miles({{0, 0}, {1, 0}});
        Boat boat{nav, {north * nm, 0}};
        boat.report(0.0, speed);
        r->setActiveIndex(1);
        nav.keep(nav.engine.routeActivated(r));
        nav.keep(nav.engine.waypointActivated(r->waypointAtIndex(1)));
        EXPECT_EQ(nav.count(key), 1u);
        EXPECT_EQ(nav.beeps(), 0u);
        nav.take(EngineHarness::fix(north * nm, 0.0, speed, 0.0, 0)); // the same second again
        EXPECT_EQ(nav.beeps(), 0u);
        boat.sail(0.0, speed, 1);
        EXPECT_EQ(nav.beeps(), north < 1 ? 1u : 0u);
        EXPECT_EQ(nav.shown.field(f::wpETE)->highlighted.value_or(false), north < 1);
        boat.sail(0.0, speed, 20);
        nav.keep(nav.engine.waypointActivated(r->waypointAtIndex(1)));
        boat.sail(0.0, speed, 5);
        EXPECT_EQ(nav.count(key), 1u);
    }
}

} // namespace
} // namespace navora::test
