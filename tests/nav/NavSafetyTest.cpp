// Sequencing on whole drives where the boat does what boats do: overshoots
// sharp turns, swerves, starts heading away, meets waypoints entered twice,
// passes its destination slowly or wide. The boat moves on the tests' own
// flat grid and the expected marks and places come from the tests' own
// geometry.
#include "nav/EngineHarness.h"
#include "nav/NavGeometry.h"

#include "nav/DisplayFields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace navora::test {
namespace {

constexpr double nm = NavGeometry::nm;
using Point = NavGeometry::Point;

// A route of waypoints A, B, ... at the given miles north and east.
RoutePtr route(std::initializer_list<std::pair<double, double>> miles)
{
    RoutePtr r = Route::create();
    char name = 'A';
    for (const auto& [north, east] : miles)
        r->appendWaypoint(Waypoint::create(
            std::string(1, name++), "", static_cast<float>(north * nm), static_cast<float>(east * nm), 0.0f));
    return r;
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
            const double miles = speed / 1852.0;
            where = NavGeometry::offset(
                where, miles * std::cos(track * NavGeometry::radians), miles * std::sin(track * NavGeometry::radians));
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
    std::string activeName()
    {
        return nav.state().activeWaypoint ? nav.state().activeWaypoint->wpName() : std::string();
    }

    EngineHarness& nav;
    Point where;
    std::vector<std::pair<std::string, Point>> arrivals = {};
    int seconds = 0;
};

// B is passed on the overshoot; C, behind the boat, is not passed while the
// boat still heads away from it, only once it has come to C and turned.
TEST(SafeSequencing, ZigZagPassesEachMarkOnlyWhenThere)
{
    EngineHarness nav;
    Boat boat{nav, {0.9 * nm, 0}};
    boat.report(0.0, 5.0);
    boat.activate(route({{0, 0}, {1, 0}, {0.2, 0.2}, {1.2, 0.4}}), 1);
    boat.sail(0.0, 5.0, 60); // through B, on north
    ASSERT_EQ(boat.arrivals.size(), 1u);
    EXPECT_EQ(boat.arrivals[0].first, "B");
    EXPECT_LT(milesBetween(boat.arrivals[0].second, 1, 0), 0.02);
    boat.sail(0.0, 5.0, 120); // still heading north, C far behind
    EXPECT_EQ(boat.arrivals.size(), 1u);
    EXPECT_EQ(boat.activeName(), "C");

    boat.sailFor(0.2, 0.2, 5.0);
    boat.sail(NavGeometry::bearing(0.2, 0.2, 1.2, 0.4), 5.0, 30);
    ASSERT_EQ(boat.arrivals.size(), 2u);
    EXPECT_EQ(boat.arrivals[1].first, "C");
    EXPECT_LT(milesBetween(boat.arrivals[1].second, 0.2, 0.2), 0.05);
    EXPECT_EQ(boat.activeName(), "D");
    EXPECT_EQ(nav.count("CourseReversal"), 0u);
}

// A 135-degree turn at B with ten-mile legs: a swerve six miles short of B
// recedes from it but passes nothing; the overshoot past B does.
TEST(SafeSequencing, HairpinIsNotPassedOnASwerve)
{
    const double turn = 135 * NavGeometry::radians;
    EngineHarness nav;
    Boat boat{nav, {3.9 * nm, 0}};
    boat.report(0.0, 10.0);
    boat.activate(route({{0, 0}, {10, 0}, {10 + 10 * std::cos(turn), 10 * std::sin(turn)}}), 1);
    boat.sail(0.0, 10.0, 20);
    boat.sail(200.0, 10.0, 12);
    boat.sail(0.0, 10.0, 30);
    EXPECT_TRUE(boat.arrivals.empty());
    EXPECT_EQ(boat.activeName(), "B");
    boat.sailFor(10.0, 0.0, 20.0);
    boat.sail(0.0, 20.0, 15); // overshoot
    ASSERT_EQ(boat.arrivals.size(), 1u);
    EXPECT_EQ(boat.arrivals[0].first, "B");
    EXPECT_LT(milesBetween(boat.arrivals[0].second, 10, 0), 0.1);
}

// A route made active at its first waypoint before any fix has a first leg
// without start: heading away from A never passes it; starting at A does.
TEST(SafeSequencing, FirstWaypointIsPassedOnlyAfterBeingReached)
{
    struct Row {
        double north, track;
        const char* active;
    };
    for (const Row& row : {Row{-8, 180, "A"}, Row{0, 0, "B"}}) {
        EngineHarness nav;
        Boat boat{nav, {row.north * nm, 0}};
        boat.activate(route({{0, 0}, {10, 0}}), 0);
        boat.report(row.track, 5.0);
        boat.sail(row.track, 5.0, 30);
        EXPECT_EQ(boat.arrivals.size(), row.active[0] == 'B' ? 1u : 0u) << row.north;
        EXPECT_EQ(boat.activeName(), row.active);
    }
}

// After the right passage at a hairpin the boat needs time to come round:
// heading away from the next mark then is no course reversal.
TEST(SafeSequencing, NoCourseReversalWhileComingRoundAHairpin)
{
    const double turn = 135 * NavGeometry::radians;
    const double cNorth = 10 + 5 * std::cos(turn), cEast = 5 * std::sin(turn);
    EngineHarness nav;
    Boat boat{nav, {9.9 * nm, 0}};
    boat.report(0.0, 10.0);
    boat.activate(route({{0, 0}, {10, 0}, {cNorth, cEast}, {cNorth - 5, cEast + 1}}), 1);
    boat.sail(0.0, 10.0, 40);
    boat.sail(60.0, 10.0, 10);
    boat.sail(100.0, 10.0, 10);
    boat.sail(135.0, 10.0, 30);
    ASSERT_EQ(boat.arrivals.size(), 1u);
    EXPECT_EQ(boat.activeName(), "C");
    EXPECT_EQ(nav.count("CourseReversal"), 0u);
    // Closed on C, then turned back: that is a reversal.
    boat.sail(315.0, 10.0, 20);
    EXPECT_EQ(nav.count("CourseReversal"), 1u);
}

// A waypoint entered twice is one mark: passed once, in either direction.
TEST(SafeSequencing, WaypointEnteredTwiceIsPassedOnce)
{
    struct Row {
        std::initializer_list<std::pair<double, double>> route;
        double startNorth, track;
        std::pair<double, double> then;
    };
    // Northbound with a gentle turn; southbound with a hairpin.
    for (const Row& row : {Row{{{0, 0}, {1, 0}, {1, 0}, {2, 0.5}}, 0.9, 0.0, {2, 0.5}},
             Row{{{2, 0}, {1, 0}, {1, 0}, {2, 0.3}}, 1.1, 180.0, {2, 0.3}}}) {
        SCOPED_TRACE(row.track);
        EngineHarness nav;
        RoutePtr r = route(row.route);
        Boat boat{nav, {row.startNorth * nm, 0}};
        boat.report(row.track, 5.0);
        boat.activate(r, 1);
        boat.sail(row.track, 5.0, 40);
        boat.sail(NavGeometry::bearing(1 * nm, 0, row.then.first * nm, row.then.second * nm), 5.0, 30);
        ASSERT_EQ(boat.arrivals.size(), 1u);
        EXPECT_EQ(boat.arrivals[0].first, "B");
        EXPECT_EQ(nav.state().activeWaypoint, r->waypointAtIndex(3));
        EXPECT_EQ(nav.count("CourseReversal"), 0u);
    }
    // A route of one place only is on its last leg at once.
    EngineHarness nav;
    RoutePtr same = route({{1, 0}, {1, 0}, {1, 0}});
    nav.keep(nav.engine.activateRoute(same, 1));
    EXPECT_EQ(nav.state().activeWaypoint, same->waypointAtIndex(2));
    EXPECT_FALSE(nav.state().nextWaypoint);
}

// Direct To the last waypoint while leaving it: the route's activation and
// the waypoint's both pass over the fix, and the destination is announced
// once, at the first of them, whatever reports follow.
TEST(SafeSequencing, OneDestinationArrivalPerDestination)
{
    EngineHarness nav;
    RoutePtr r = route({{0, 0}, {1, 0}});
    Boat boat{nav, {1.02 * nm, 0}};
    boat.report(0.0, 5.0);
    r->setActiveIndex(1);
    nav.keep(nav.engine.routeActivated(r));
    nav.keep(nav.engine.waypointActivated(r->waypointAtIndex(1)));
    EXPECT_EQ(nav.count("DestinationArrival"), 1u);
    boat.sail(0.0, 5.0, 20);
    nav.keep(nav.engine.waypointActivated(r->waypointAtIndex(1)));
    boat.sail(0.0, 5.0, 5);
    EXPECT_EQ(nav.count("DestinationArrival"), 1u);
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
        boat.activate(route({{0, 0}, {1, 0}}), 1);
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
    boat.activate(route({{0, 0}, {1, 0}}), 1);
    EXPECT_EQ(nav.count("DestinationArrival"), 0u);
    boat.report(0.0, 0.0);
    EXPECT_EQ(nav.count("DestinationArrival"), 1u);
}

// One report is decided once: the passes an activation runs on the fix
// already decided only show, and a repeated report changes nothing.
TEST(SafeSequencing, EachFixIsDecidedOnce)
{
    EngineHarness nav;
    RoutePtr r = route({{0, 0}, {1, 0}});
    Boat boat{nav, {0.95 * nm, 0}};
    boat.report(0.0, 10.0); // about 9 s out
    r->setActiveIndex(1);
    nav.keep(nav.engine.routeActivated(r));
    nav.keep(nav.engine.waypointActivated(r->waypointAtIndex(1)));
    EXPECT_EQ(nav.count("WaypointArrival"), 1u);
    EXPECT_EQ(nav.beeps(), 0u);
    EXPECT_TRUE(nav.shown.field(navora::fields::wpETE)->highlighted.value_or(false));
    nav.take(EngineHarness::fix(0.95 * nm, 0.0, 10.0, 0.0, 0)); // the same second again
    EXPECT_EQ(nav.beeps(), 0u);
    boat.sail(0.0, 10.0, 1);
    EXPECT_EQ(nav.beeps(), 1u);
}

} // namespace
} // namespace navora::test
