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
RoutePtr route(const std::vector<std::pair<double, double>>& miles)
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

// Drives: B is passed on the overshoot; C, behind the boat, only once the
// boat has come to C and turned. A 135-degree turn is not passed on a swerve
// six miles short, only on the overshoot. A first leg without start (active
// before any fix) is passed only after reaching A. Coming round a hairpin is
// no course reversal; turning back after closing on the next mark is. A
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
    turnBack.push_back({315, 10, 20});
    const Drive drives[] = {
        {"zig-zag", {{0, 0}, {1, 0}, {0.2, 0.2}, {1.2, 0.4}}, 1, false, 0.9, 0, 5,
            {{0, 5, 180}, {0, 5, 0, {0.2, 0.2}}, {NavGeometry::bearing(0.2, 0.2, 1.2, 0.4), 5, 30}},
            {{"B", 1, 0, 0.02}, {"C", 0.2, 0.2, 0.05}}, "D", 0},
        {"swerve before a hairpin", {{0, 0}, {10, 0}, {10 + 10 * c, 10 * s}}, 1, false, 3.9, 0, 10,
            {{0, 10, 20}, {200, 10, 12}, {0, 10, 30}, {0, 20, 0, {10, 0}}, {0, 20, 15}}, {{"B", 10, 0, 0.1}}, "C", 0},
        {"first leg, heading away", {{0, 0}, {10, 0}}, 0, true, -8, 180, 5, {{180, 5, 30}}, {}, "A", 0},
        {"first leg, from A", {{0, 0}, {10, 0}}, 0, true, 0, 0, 5, {{0, 5, 10}}, {{"A", 0, 0, 0.02}}, "B", 0},
        {"coming round a hairpin", hairpin, 1, false, 9.9, 0, 10, comeRound, {{"B", 10, 0, 0.3}}, "C", 0},
        {"turning back after it", hairpin, 1, false, 9.9, 0, 10, turnBack, {{"B", 10, 0, 0.3}}, nullptr, 1},
        {"twice, northbound, gentle turn", {{0, 0}, {1, 0}, {1, 0}, {2, 0.5}}, 1, false, 0.9, 0, 5,
            {{0, 5, 40}, {NavGeometry::bearing(1 * nm, 0, 2 * nm, 0.5 * nm), 5, 30}}, {{"B", 1, 0, 0.2}}, "D", 0},
        {"twice, southbound, hairpin", {{2, 0}, {1, 0}, {1, 0}, {2, 0.3}}, 1, false, 1.1, 180, 5,
            {{180, 5, 40}, {NavGeometry::bearing(1 * nm, 0, 2 * nm, 0.3 * nm), 5, 30}}, {{"B", 1, 0, 0.2}}, "D", 0},
    };
    for (const Drive& drive : drives) {
        SCOPED_TRACE(drive.name);
        EngineHarness nav;
        Boat boat{nav, {drive.north * nm, 0}};
        RoutePtr r = route(drive.route);
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
            EXPECT_EQ(boat.arrivals[i].first, drive.marks[i].name);
            EXPECT_LT(
                milesBetween(boat.arrivals[i].second, drive.marks[i].north, drive.marks[i].east), drive.marks[i].within)
                << drive.marks[i].name;
        }
        EXPECT_EQ(boat.activeName(), drive.active ? drive.active : boat.activeName());
        EXPECT_EQ(nav.count("CourseReversal"), drive.reversals);
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
