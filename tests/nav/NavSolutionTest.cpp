// The navigation pass, report by report: leg texts and titles, clock texts,
// turn angles, the CDI, blanking without a fix, the MiniNav title, and
// nothing written once navigation stops.
#include "nav/ClockTime.h"
#include "nav/EngineHarness.h"
#include "nav/NavGeometry.h"

#include "nav/DisplayFields.h"
#include "nav/UtcTime.h"

#include <gtest/gtest.h>

#include <cmath>

namespace navora::test {
namespace {

namespace f = navora::fields;
constexpr double nm = NavGeometry::nm;
constexpr double knotsPerMetrePerSecond = 3600.0 / 1852.0;
constexpr double kilometresPerMile = 1.852;

bool blank(const DisplayState& state, std::string_view field)
{
    return state.text(field) == std::string();
}

double numberOf(const DisplayState& state, std::string_view field)
{
    return state.number(field).value_or(std::nan(""));
}

std::chrono::sys_seconds at(double secondsAfterStart)
{
    return std::chrono::sys_seconds(
        std::chrono::seconds(static_cast<long long>(EngineHarness::startTime + secondsAfterStart)));
}

TEST(ClockTimeText, PartsAreCutDownAndHoursNeverWrap)
{
    struct Row {
        float hours;
        const char* text;
        long long seconds;
    };
    const Row rows[] = {
        {1.5f, "1:30:00", 5400},
        {27.2f, "27:12:00", 97920},
        {0.0083f, "0:00:29", 29},
        {0.30867f, "0:18:31", 1111},
        {1.33756f, "1:20:15", 4815},
        {0.0f, "0:00:00", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const ClockTime::Parts parts = ClockTime::partsOf(row.hours);
        EXPECT_EQ(ClockTime::text(parts), row.text);
        EXPECT_EQ(ClockTime::duration(parts).count(), row.seconds);
    }
    // A receding crawl or a NaN never overflows a part.
    EXPECT_EQ(ClockTime::partsOf(1e30f).hours, static_cast<int>(ClockTime::maximumHours));
    EXPECT_EQ(ClockTime::text(ClockTime::partsOf(std::nanf(""))), "0:00:00");
}

TEST(ClockTimeText, LongestHoursKeepEveryDigit)
{
    EXPECT_EQ(ClockTime::text({999999, 59, 59}), "999999:59:59");
    EXPECT_EQ(ClockTime::text({12, 5, 9}), "12:05:09");
}

// Fix and arrival times from 1970 on; an arrival can lie past the year 9999.
TEST(UtcTimeText, CalendarDatesAndTheYearsBeyondFourDigits)
{
    struct Row {
        long long seconds;
        const char* text;
    };
    const Row rows[] = {
        {0, "1970-01-01 00:00:00"},
        {951782400, "2000-02-29 00:00:00"},
        {1714564812, "2024-05-01 12:00:12"},
        {4102444799, "2099-12-31 23:59:59"},
        {-30610224000, "1000-01-01 00:00:00"},
        {253402300799, "9999-12-31 23:59:59"},
        {253402300800, "10000-01-01 00:00:00"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(UtcTime::text(std::chrono::sys_seconds(std::chrono::seconds(row.seconds))), row.text);
    }
}

class NavSolution : public testing::Test {
protected:
    // Coast: A to E northwards along the meridian, 10 miles apart.
    RoutePtr coast
        = EngineHarness::route("Coast", {{0.0, 0.0}, {10 * nm, 0.0}, {20 * nm, 0.0}, {30 * nm, 0.0}, {40 * nm, 0.0}});
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
        if (row.activated) {
            const WaypointPtr waypoint = std::string_view(row.activated) == "="
                ? coast->waypointAtIndex(static_cast<size_t>(row.index))
                : Waypoint::create(row.activated, "", 0.3f, 0.1f, 0.0f);
            nav.keep(nav.engine.waypointActivated(waypoint));
        }
        EXPECT_EQ(nav.shown.title(f::wpBox), row.title);
        EXPECT_EQ(nav.shown.text(f::nextWP), row.next);
    }
}

TEST_F(NavSolution, LegWithoutStartHidesTrackFields)
{
    coast->setActiveIndex(0);
    nav.keep(nav.engine.routeActivated(coast));
    const DisplayState state = nav.shown;
    EXPECT_EQ(state.title(f::wpBox), "Coast: ->A (0 of 4)");
    for (const std::string_view field :
        {f::wpDTK, f::unitsDTK, f::wpCrossTrack, f::unitsCrossTrack, f::wpCrossTrackCDI, f::wpCDIScale})
        EXPECT_EQ(state.visible(field), false) << field;

    nav.keep(nav.engine.activateRoute(nullptr, 0));
    const WaypointPtr lone = Waypoint::create("Lone", "", 1.0f, 1.0f, 0.0f);
    nav.keep(nav.engine.waypointActivated(lone));
    EXPECT_EQ(nav.shown.title(f::wpBox), "->Lone");

    // The first position starts the leg: track, cross-track and indicator.
    nav.report(0.0, 1.0, 5.0, 0.0, 0);
    EXPECT_EQ(nav.shown.title(f::wpBox), "Position->Lone");
    EXPECT_NEAR(nav.shown.number(f::wpDTK).value_or(-1), 0.0, 0.05);
    EXPECT_EQ(nav.shown.visible(f::wpCrossTrackCDI), true);
}

TEST_F(NavSolution, WaypointFromThePositionStartsOnTrack)
{
    nav.report(0.0, 0.0, 5.0, 0.0, 0);
    nav.keep(nav.engine.waypointActivated(Waypoint::create("Name", "", 0.1f, 0.0f, 0.0f)));
    nav.report(0.0, 0.0, 5.0, 0.0, 1);
    const DisplayState state = nav.shown;
    EXPECT_EQ(state.title(f::wpBox), "Position->Name");
    EXPECT_NEAR(numberOf(state, f::wpCrossTrack), 0.0, 1e-3);
    EXPECT_EQ(state.enabled(f::wpCrossTrackCDI), true);
    EXPECT_NEAR(numberOf(state, f::wpCrossTrackCDI), 0.0, 1e-3);
    EXPECT_NEAR(numberOf(state, f::wpDTK), 0.0, 0.01);
}

TEST_F(NavSolution, TimesArrivalsAndRouteTotalsWhileClosing)
{
    coast->setActiveIndex(2);
    nav.report(17 * nm, 0.0, 5.0, 0.0, 0);
    nav.keep(nav.engine.routeActivated(coast));
    nav.report(17 * nm, 0.0, 5.0, 0.0, 1);
    const DisplayState state = nav.shown;
    const double d = numberOf(state, f::wpDistance);
    EXPECT_NEAR(d, NavGeometry::distance(17 * nm, 0, 20 * nm, 0), 0.02);
    EXPECT_NEAR(numberOf(state, f::wpVMG), 5.0 * knotsPerMetrePerSecond, 1e-3);
    EXPECT_EQ(numberOf(state, f::wpBearing), 0.0);

    const float hours = static_cast<float>(static_cast<float>(d) / (5.0 * knotsPerMetrePerSecond));
    const ClockTime::Parts leg = ClockTime::partsOf(hours);
    EXPECT_EQ(state.text(f::wpETE), ClockTime::text(leg));
    EXPECT_EQ(state.text(f::wpETA), UtcTime::text(at(1) + ClockTime::duration(leg)));
    EXPECT_EQ(state.date(f::wpETALocal), at(1) + ClockTime::duration(leg));

    // The rest of the route is timed at the ground speed.
    const double rest = coast->distanceRemainingOnRouteFromIndex(2);
    EXPECT_NEAR(numberOf(state, f::dDistance), d + rest, 1e-3);
    const ClockTime::Parts total
        = ClockTime::partsOf(static_cast<float>(hours + rest / (knotsPerMetrePerSecond * 5.0)));
    EXPECT_EQ(state.text(f::dETE), ClockTime::text(total));
    EXPECT_EQ(state.text(f::dETA), UtcTime::text(at(1) + ClockTime::duration(total)));
}

// On the last leg the active waypoint is the destination; once it is
// reached, only where and when remain, with the way to stop.
TEST_F(NavSolution, LastLegShowsTheDestinationAndArrivalEndsTheFigures)
{
    coast->setActiveIndex(4);
    nav.report(37 * nm, 0.0, 5.0, 0.0, 0);
    nav.keep(nav.engine.routeActivated(coast));
    nav.report(37 * nm, 0.0, 5.0, 0.0, 1);
    DisplayState state = nav.shown;
    const double d = numberOf(state, f::wpDistance);
    EXPECT_NEAR(d, NavGeometry::distance(37 * nm, 0, 40 * nm, 0), 0.02);
    EXPECT_EQ(numberOf(state, f::dDistance), d);
    const ClockTime::Parts leg = ClockTime::partsOf(static_cast<float>(d / (5.0 * knotsPerMetrePerSecond)));
    EXPECT_EQ(state.text(f::dETE), ClockTime::text(leg));
    EXPECT_EQ(state.text(f::dETA), UtcTime::text(at(1) + ClockTime::duration(leg)));
    EXPECT_TRUE(blank(state, f::wpArrived));
    EXPECT_EQ(state.visible(f::wpStopNavigating), false);

    // Nearly there, inside the lead time (amber), then stopped at it.
    nav.report(39.995 * nm, 0.0, 5.0, 0.0, 2);
    EXPECT_EQ(nav.shown.field(f::wpETE)->highlighted, true);
    nav.report(40 * nm, 0.0, 0.0, 0.0, 3);
    ASSERT_EQ(nav.count("DestinationArrival"), 1u);
    // Drifting off afterwards changes nothing of it.
    nav.report(39.99 * nm, 0.0, 1.0, 180.0, 4);
    state = nav.shown;
    EXPECT_EQ(state.text(f::wpArrived), "Arrived at E");
    EXPECT_EQ(state.date(f::wpArrivedTime), at(3));
    EXPECT_EQ(state.visible(f::wpStopNavigating), true);
    for (const std::string_view field : {f::wpVMG, f::wpETE, f::wpETA, f::wpETALocal, f::dETE, f::dETA})
        EXPECT_TRUE(blank(state, field)) << field;
    EXPECT_EQ(state.field(f::wpETE)->highlighted, false);
    EXPECT_NEAR(numberOf(state, f::wpDistance), NavGeometry::distance(39.99 * nm, 0, 40 * nm, 0), 1e-3);

    // Stopping clears the note and the command with the leg.
    nav.keep(nav.engine.activateRoute(nullptr, 0));
    state = nav.shown;
    EXPECT_TRUE(blank(state, f::wpArrived));
    EXPECT_TRUE(blank(state, f::wpArrivedTime));
    EXPECT_EQ(state.visible(f::wpStopNavigating), false);
    EXPECT_TRUE(blank(state, f::dDistance));
}

TEST_F(NavSolution, BearingIsCutTowardZero)
{
    struct Row {
        double degrees;
        double shown;
    };
    for (const Row row : {Row{359.7, 359.0}, Row{0.4, 0.0}, Row{90.9, 90.0}}) {
        SCOPED_TRACE(row.degrees);
        const double rad = row.degrees * NavGeometry::radians;
        nav.keep(nav.engine.waypointActivated(Waypoint::create(
            "T", "", static_cast<float>(10 * nm * std::cos(rad)), static_cast<float>(10 * nm * std::sin(rad)), 0.0f)));
        nav.report(0.0, 0.0, 5.0, row.degrees, 0);
        EXPECT_EQ(numberOf(nav.shown, f::wpBearing), row.shown);
    }
}

TEST_F(NavSolution, TurnAngleComesOnTheSecondPassAndWraps)
{
    struct Row {
        double legIn;
        double legOut;
        float turn;
    };
    const Row rows[] = {{350, 10, 20}, {10, 350, -20}, {0, 135, 135}, {45, 300, -105}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.legIn << " to " << row.legOut);
        const double in = row.legIn * NavGeometry::radians;
        const double out = row.legOut * NavGeometry::radians;
        RoutePtr r = EngineHarness::route("Turn",
            {{-10 * nm * std::cos(in), -10 * nm * std::sin(in)}, {0.0, 0.0},
                {10 * nm * std::cos(out), 10 * nm * std::sin(out)}});
        nav.keep(nav.engine.activateRoute(r, 1));
        nav.keep(nav.engine.updateNavData());
        EXPECT_TRUE(std::isnan(nav.state().legCache.nextTurnAngle));
        nav.keep(nav.engine.updateNavData());
        EXPECT_NEAR(nav.state().legCache.nextTurnAngle, row.turn, 0.05);
    }
}

TEST_F(NavSolution, CrossTrackBeyondTheScalePinsTheIndicator)
{
    RoutePtr r = EngineHarness::route("Leg", {{-10 * nm, 0.0}, {10 * nm, 0.0}});
    nav.report(0.0, 0.5 * nm, 5.0, 0.0, 0);
    nav.keep(nav.engine.activateRoute(r, 1));
    nav.keep(nav.engine.changeCDIScale(2));
    nav.report(0.0, 0.5 * nm, 5.0, 0.0, 1);
    DisplayState state = nav.shown;
    EXPECT_NEAR(numberOf(state, f::wpCrossTrack), 0.5, 0.01);
    EXPECT_EQ(state.enabled(f::wpCrossTrackCDI), false);
    EXPECT_NEAR(numberOf(state, f::wpCrossTrackCDI), -0.5, 0.01);

    nav.keep(nav.engine.changeCDIScale(0));
    nav.report(0.0, 0.5 * nm, 5.0, 0.0, 2);
    state = nav.shown;
    EXPECT_EQ(state.enabled(f::wpCrossTrackCDI), true);
    EXPECT_NEAR(numberOf(state, f::wpCrossTrackCDI), -0.5, 0.01);

    // Other units change the number shown, not the indicator.
    nav.keep(nav.engine.changeUnits('m'));
    nav.report(0.0, 0.5 * nm, 5.0, 0.0, 3);
    state = nav.shown;
    EXPECT_NEAR(numberOf(state, f::wpCrossTrack), 0.5 * kilometresPerMile, 0.02);
    EXPECT_NEAR(numberOf(state, f::wpCrossTrackCDI), -0.5, 0.01);

    // An error right on either end of the scale is still on it.
    for (const double side : {1.0, -1.0}) {
        nav.report(0.0, side * 0.5 * nm, 5.0, 0.0, 4);
        const double error = -numberOf(nav.shown, f::wpCrossTrackCDI);
        nav.state().cdiMinimum = side < 0 ? error : -1.0;
        nav.state().cdiMaximum = side > 0 ? error : 1.0;
        nav.report(0.0, side * 0.5 * nm, 5.0, 0.0, 5);
        EXPECT_EQ(nav.shown.enabled(f::wpCrossTrackCDI), true) << side;
    }
}

TEST_F(NavSolution, LostFixBlanksPositionFieldsAndKeepsTheLeg)
{
    coast->setActiveIndex(2);
    nav.report(15 * nm, 0.0, 5.0, 0.0, 0);
    nav.keep(nav.engine.routeActivated(coast));
    nav.report(15 * nm, 0.0, 5.0, 0.0, 1);
    nav.reportNoFix(2);
    const DisplayState state = nav.shown;
    for (const std::string_view field :
        {f::wpBearing, f::wpVMG, f::wpETE, f::wpETA, f::wpETALocal, f::dDistance, f::dETE, f::dETA})
        EXPECT_TRUE(blank(state, field)) << field;
    EXPECT_EQ(state.text(f::wpDistance), "waiting for a position");
    EXPECT_EQ(state.title(f::wpBox), "Coast: B->C (2 of 4)");
    EXPECT_EQ(state.text(f::nextWP), "D");
    EXPECT_NEAR(numberOf(state, f::wpDTK), 0.0, 0.01);
}

TEST_F(NavSolution, StandingStillOrRecedingShowsNoTimes)
{
    coast->setActiveIndex(2);
    nav.report(15 * nm, 0.0, 0.0, 0.0, 0);
    nav.keep(nav.engine.routeActivated(coast));
    nav.report(15 * nm, 0.0, 0.0, 0.0, 1);
    DisplayState state = nav.shown;
    for (const std::string_view field : {f::wpETE, f::wpETA, f::wpETALocal, f::dETE, f::dETA, f::dDistance})
        EXPECT_TRUE(blank(state, field)) << field;
    EXPECT_TRUE(nav.navigationAlerts().empty());

    nav.report(15 * nm, 0.0, 5.0, 180.0, 2);
    state = nav.shown;
    EXPECT_TRUE(blank(state, f::wpETE));
    EXPECT_NEAR(numberOf(state, f::dDistance),
        numberOf(state, f::wpDistance) + coast->distanceRemainingOnRouteFromIndex(2), 1e-3);
    EXPECT_TRUE(nav.state().sequencing.lastSPcheck.has_value());
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
    EXPECT_NEAR(numberOf(nav.shown, f::mnCDI), 0.0, 1e-3);
    EXPECT_FALSE(blank(nav.shown, f::mnDistance));
    EXPECT_FALSE(blank(nav.shown, f::mnETE));
    nav.reportNoFix(2);
    DisplayState state = nav.shown;
    EXPECT_EQ(state.title(f::mnBox), "No GPS fix... - B->C");
    EXPECT_TRUE(blank(state, f::mnDistance));
    EXPECT_TRUE(blank(state, f::mnETE));
    // A pass after an activation, before the next report, composes the same.
    coast->setActiveIndex(3);
    nav.keep(nav.engine.routeActivated(coast));
    EXPECT_EQ(nav.shown.title(f::mnBox), "No GPS fix... - C->D");
    // The full window's fields are left alone in this mode.
    EXPECT_FALSE(nav.shown.field(f::wpBox));
}

TEST_F(NavSolution, StoppedNavigationWritesNothing)
{
    coast->setActiveIndex(2);
    nav.report(15 * nm, 0.0, 5.0, 0.0, 0);
    nav.keep(nav.engine.routeActivated(coast));
    nav.keep(nav.engine.activateRoute(nullptr, 0));
    ASSERT_FALSE(nav.routesAnnounced().empty());
    EXPECT_EQ(nav.routesAnnounced().back(), nullptr);
    nav.clear();
    nav.report(15 * nm, 0.0, 5.0, 0.0, 1);
    nav.report(25 * nm, 0.0, 5.0, 180.0, 2);
    for (const DisplayBatch& batch : nav.batches)
        for (const DisplayBatch::Write& write : batch.writes())
            for (const std::string_view field : {f::wpBox, f::nextWP, f::wpLatitude, f::wpDTK, f::wpCDIScale})
                EXPECT_NE(write.field, field);
    EXPECT_TRUE(nav.navigationAlerts().empty());
}

} // namespace
} // namespace navora::test
