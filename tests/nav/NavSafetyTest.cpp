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

namespace f = navora::fields;
constexpr double nm = NavGeometry::nm;

// A waypoint passage or destination arrival and where the boat was.
struct Arrival {
    std::string key;
    std::string name;
    NavGeometry::Point at;
};

// A boat reporting once a second, in miles north and east of the origin.
class Boat {
public:
    Boat(EngineHarness& nav, double north, double east)
        : m_nav(nav)
        , m_where{north * nm, east * nm}
    {
    }

    // Sails on a track at a speed (metres per second) for some seconds.
    void sail(double track, double speed, int seconds, double eph = std::nan(""))
    {
        for (int i = 0; i < seconds; ++i) {
            const double miles = speed / 1852.0;
            m_where = NavGeometry::offset(m_where, miles * std::cos(track * NavGeometry::radians),
                miles * std::sin(track * NavGeometry::radians));
            report(track, speed, eph);
        }
    }
    // Sails straight for the point (miles north and east) until within
    // 'short' miles of it.
    void sailFor(double north, double east, double speed, double shortOf = 0.0)
    {
        while (NavGeometry::distance(m_where.lat, m_where.lon, north * nm, east * nm) > shortOf + speed / 1852.0)
            sail(NavGeometry::bearing(m_where.lat, m_where.lon, north * nm, east * nm), speed, 1);
    }
    // A report here, without moving: the report of a new second.
    void report(double track, double speed, double eph = std::nan(""))
    {
        GPSRecord r;
        r.online = EngineHarness::startTime;
        r.fix.mode = 3;
        r.fix.time = EngineHarness::startTime + m_seconds++;
        r.fix.latitude = m_where.lat;
        r.fix.longitude = m_where.lon;
        r.fix.altitude = 0.0;
        r.fix.speed = speed;
        r.fix.track = track;
        r.fix.eph = eph;
        const size_t before = m_nav.events.size();
        m_nav.take(r);
        for (size_t i = before; i < m_nav.events.size(); ++i) {
            const auto* alert = std::get_if<NavEngine::Alert>(&m_nav.events[i]);
            if (alert && (alert->key == "WaypointPassage" || alert->key == "DestinationArrival"))
                arrivals.push_back({alert->key, alert->speech, m_where});
        }
    }
    // Miles from the boat to a point.
    double milesTo(double north, double east) const
    {
        return NavGeometry::distance(m_where.lat, m_where.lon, north * nm, east * nm);
    }
    // Miles from an arrival's place to a point.
    static double milesBetween(const Arrival& arrival, double north, double east)
    {
        return NavGeometry::distance(arrival.at.lat, arrival.at.lon, north * nm, east * nm);
    }

    std::vector<Arrival> arrivals;

private:
    EngineHarness& m_nav;
    NavGeometry::Point m_where;
    int m_seconds = 0;
};

class SafeSequencing : public testing::Test {
protected:
    RoutePtr route(std::initializer_list<std::pair<double, double>> miles)
    {
        RoutePtr r = Route::create();
        char name = 'A';
        for (const auto& [north, east] : miles)
            r->appendWaypoint(Waypoint::create(
                std::string(1, name++), "", static_cast<float>(north * nm), static_cast<float>(east * nm), 0.0f));
        return r;
    }
    std::string activeName()
    {
        return nav.state().activeWaypoint ? nav.state().activeWaypoint->wpName() : std::string();
    }

    EngineHarness nav;
};

// B is passed on the overshoot; C, behind the boat, is not passed while the
// boat still heads away from it, only once it has come to C and turned.
TEST_F(SafeSequencing, ZigZagPassesEachMarkOnlyWhenThere)
{
    RoutePtr r = route({{0, 0}, {1, 0}, {0.2, 0.2}, {1.2, 0.4}});
    Boat boat(nav, 0.9, 0.0);
    boat.report(0.0, 5.0);
    nav.keep(nav.engine.activateRoute(r, 1));
    boat.sail(0.0, 5.0, 60); // through B, on north
    ASSERT_EQ(boat.arrivals.size(), 1u);
    EXPECT_EQ(boat.arrivals[0].name, "B");
    EXPECT_LT(Boat::milesBetween(boat.arrivals[0], 1, 0), 0.02);
    boat.sail(0.0, 5.0, 120); // still heading north, C far behind
    EXPECT_EQ(boat.arrivals.size(), 1u);
    EXPECT_EQ(activeName(), "C");

    boat.sailFor(0.2, 0.2, 5.0);
    boat.sail(NavGeometry::bearing(0.2, 0.2, 1.2, 0.4), 5.0, 30);
    ASSERT_EQ(boat.arrivals.size(), 2u);
    EXPECT_EQ(boat.arrivals[1].name, "C");
    EXPECT_LT(Boat::milesBetween(boat.arrivals[1], 0.2, 0.2), 0.05);
    EXPECT_EQ(activeName(), "D");
    EXPECT_EQ(nav.count("CourseReversal"), 0u);
}

// A 135-degree turn at B with ten-mile legs: a swerve six miles short of B
// recedes from it but passes nothing; the overshoot past B does.
TEST_F(SafeSequencing, HairpinIsNotPassedOnASwerve)
{
    const double turn = 135 * NavGeometry::radians;
    RoutePtr r = route({{0, 0}, {10, 0}, {10 + 10 * std::cos(turn), 10 * std::sin(turn)}});
    Boat boat(nav, 3.9, 0.0);
    boat.report(0.0, 10.0);
    nav.keep(nav.engine.activateRoute(r, 1));
    boat.sail(0.0, 10.0, 20);
    boat.sail(200.0, 10.0, 12);
    boat.sail(0.0, 10.0, 30);
    EXPECT_TRUE(boat.arrivals.empty());
    EXPECT_EQ(activeName(), "B");
    boat.sailFor(10.0, 0.0, 20.0);
    boat.sail(0.0, 20.0, 15); // overshoot
    ASSERT_EQ(boat.arrivals.size(), 1u);
    EXPECT_EQ(boat.arrivals[0].name, "B");
    EXPECT_LT(Boat::milesBetween(boat.arrivals[0], 10, 0), 0.1);
}

// A route made active at its first waypoint before any fix has a first leg
// without start: heading away from A never passes it; starting at A does.
TEST_F(SafeSequencing, FirstWaypointIsPassedOnlyAfterBeingReached)
{
    RoutePtr away = route({{0, 0}, {10, 0}});
    nav.keep(nav.engine.activateRoute(away, 0));
    Boat off(nav, -8.0, 0.0);
    off.sail(180.0, 5.0, 30);
    EXPECT_TRUE(off.arrivals.empty());
    EXPECT_EQ(activeName(), "A");

    EngineHarness fresh;
    RoutePtr there = route({{0, 0}, {10, 0}});
    fresh.keep(fresh.engine.activateRoute(there, 0));
    Boat start(fresh, 0.0, 0.0);
    start.report(0.0, 5.0);
    start.sail(0.0, 5.0, 10);
    ASSERT_EQ(start.arrivals.size(), 1u);
    EXPECT_EQ(start.arrivals[0].name, "A");
    EXPECT_EQ(fresh.state().activeWaypoint, there->waypointAtIndex(1));
}

// After the right passage at a hairpin the boat needs time to come round:
// heading away from the next mark then is no course reversal.
TEST_F(SafeSequencing, NoCourseReversalWhileComingRoundAHairpin)
{
    const double turn = 135 * NavGeometry::radians;
    const double cNorth = 10 + 5 * std::cos(turn);
    const double cEast = 5 * std::sin(turn);
    RoutePtr r = route({{0, 0}, {10, 0}, {cNorth, cEast}, {cNorth - 5, cEast + 1}});
    Boat boat(nav, 9.9, 0.0);
    boat.report(0.0, 10.0);
    nav.keep(nav.engine.activateRoute(r, 1));
    boat.sail(0.0, 10.0, 40);
    boat.sail(60.0, 10.0, 10);
    boat.sail(100.0, 10.0, 10);
    boat.sail(135.0, 10.0, 30);
    ASSERT_EQ(boat.arrivals.size(), 1u);
    EXPECT_EQ(activeName(), "C");
    EXPECT_EQ(nav.count("CourseReversal"), 0u);
    // Closed on C, then turned back: that is a reversal.
    boat.sail(315.0, 10.0, 20);
    EXPECT_EQ(nav.count("CourseReversal"), 1u);
}

// A waypoint entered twice is one mark: passed once, in either direction.
TEST_F(SafeSequencing, WaypointEnteredTwiceIsPassedOnce)
{
    struct Row {
        const char* name;
        std::initializer_list<std::pair<double, double>> route;
        double startNorth;
        double track;
        std::pair<double, double> then;
    };
    const Row rows[] = {
        {"northbound, gentle turn", {{0, 0}, {1, 0}, {1, 0}, {2, 0.5}}, 0.9, 0.0, {2, 0.5}},
        {"southbound, hairpin", {{2, 0}, {1, 0}, {1, 0}, {2, 0.3}}, 1.1, 180.0, {2, 0.3}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EngineHarness run;
        RoutePtr r = route(row.route);
        Boat boat(run, row.startNorth, 0.0);
        boat.report(row.track, 5.0);
        run.keep(run.engine.activateRoute(r, 1));
        boat.sail(row.track, 5.0, 40);
        boat.sail(NavGeometry::bearing(1 * nm, 0, row.then.first * nm, row.then.second * nm), 5.0, 30);
        ASSERT_EQ(boat.arrivals.size(), 1u);
        EXPECT_EQ(boat.arrivals[0].name, "B");
        EXPECT_EQ(run.state().activeWaypoint, r->waypointAtIndex(3));
        EXPECT_EQ(run.count("CourseReversal"), 0u);
    }

    // A route of one place only is on its last leg at once.
    RoutePtr same = route({{1, 0}, {1, 0}, {1, 0}});
    nav.keep(nav.engine.activateRoute(same, 1));
    EXPECT_EQ(nav.state().activeWaypoint, same->waypointAtIndex(2));
    EXPECT_FALSE(nav.state().nextWaypoint);
}

// Direct To the last waypoint while leaving it: the route's activation and
// the waypoint's both pass over the fix, and the destination is announced
// once, at the first of them, whatever reports follow.
TEST_F(SafeSequencing, OneDestinationArrivalPerDestination)
{
    RoutePtr r = route({{0, 0}, {1, 0}});
    Boat boat(nav, 1.02, 0.0);
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
TEST_F(SafeSequencing, DestinationReachedSlowlyOrAbeam)
{
    struct Row {
        const char* name;
        double eastMetres;
        double speed;
        double eph;
        bool reached;
        // Miles past the destination's latitude where it is reached.
        double earliest;
        double latest;
    };
    const double unknown = std::nan("");
    const Row rows[] = {
        {"straight through at 1 m/s", 0, 1, unknown, true, 0.0, 0.002},
        {"30 m abeam at 1 m/s: once beyond 36 s at its speed", 30, 1, unknown, true, 0.005, 0.015},
        {"40 m off, error estimate 50 m", 40, 1, 50, true, 0.0, 0.002},
        {"150 m abeam at 12 m/s: receding fast", 150, 12, unknown, true, 0.03, 0.07},
        {"a mile off", 1852, 1, unknown, false, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EngineHarness run;
        RoutePtr r = route({{0, 0}, {1, 0}});
        Boat boat(run, 0.9, row.eastMetres / 1852.0);
        boat.report(0.0, row.speed, row.eph);
        run.keep(run.engine.activateRoute(r, 1));
        boat.sail(0.0, row.speed, static_cast<int>(0.5 * 1852 / row.speed), row.eph);
        ASSERT_EQ(boat.arrivals.size(), row.reached ? 1u : 0u);
        if (!row.reached)
            continue;
        const double past = boat.arrivals[0].at.lat / nm - 1.0;
        EXPECT_GE(past, row.earliest);
        EXPECT_LE(past, row.latest);
    }

    // Stopped 10 m short: arrived, once the boat no longer closes.
    RoutePtr r = route({{0, 0}, {1, 0}});
    Boat boat(nav, 1.0 - 10 / 1852.0, 0.0);
    boat.report(0.0, 1.0);
    nav.keep(nav.engine.activateRoute(r, 1));
    EXPECT_EQ(nav.count("DestinationArrival"), 0u);
    boat.report(0.0, 0.0);
    EXPECT_EQ(nav.count("DestinationArrival"), 1u);
}

// One report is decided once: the passes an activation runs on the fix
// already decided only show, and a repeated report changes nothing.
TEST_F(SafeSequencing, EachFixIsDecidedOnce)
{
    RoutePtr r = route({{0, 0}, {1, 0}});
    Boat boat(nav, 0.95, 0.0);
    boat.report(0.0, 10.0); // about 9 s out
    r->setActiveIndex(1);
    nav.keep(nav.engine.routeActivated(r));
    nav.keep(nav.engine.waypointActivated(r->waypointAtIndex(1)));
    EXPECT_EQ(nav.count("WaypointArrival"), 1u);
    EXPECT_EQ(nav.beeps(), 0);
    EXPECT_TRUE(nav.shown.field(f::wpETE)->highlighted.value_or(false));

    GPSRecord again;
    again.online = EngineHarness::startTime;
    again.fix.mode = 3;
    again.fix.time = EngineHarness::startTime; // the same second again
    again.fix.latitude = 0.95 * nm;
    again.fix.longitude = 0.0;
    again.fix.speed = 10.0;
    again.fix.track = 0.0;
    nav.take(again);
    EXPECT_EQ(nav.beeps(), 0);
    boat.sail(0.0, 10.0, 1);
    EXPECT_EQ(nav.beeps(), 1);
}

} // namespace
} // namespace navora::test
