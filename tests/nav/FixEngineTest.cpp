// Fix ingestion: each report into the fix state, "PPOS", the display and the
// mode alerts.
#include "nav/EngineHarness.h"

#include "nav/DisplayFields.h"
#include "nav/UnitSystem.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace navora::test {
namespace {

namespace f = navora::fields;
using Colour = DisplayBatch::Colour;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double offline = 0.0;
constexpr double online = 1714564812.0;

class FixIngestion : public testing::Test {
protected:
    // One report as gpsd would send it, with a plausible fix for mode 2 or 3.
    void report(int mode, double onlineState = online)
    {
        GPSRecord& r = record;
        r.online = onlineState;
        r.fix.mode = mode;
        if (mode >= 2) {
            r.fix.time = 1714564812.7;
            r.fix.latitude = 52.5;
            r.fix.longitude = 13.3;
            r.fix.altitude = 100.0;
            r.fix.speed = 10.0;
            r.fix.track = 45.0;
            r.fix.climb = 2.0;
            r.fix.eph = 10.0;
            r.fix.epv = 20.0;
        } else {
            r.fix = GPSRecord::Fix{};
            r.fix.mode = mode;
        }
        take();
    }

    void take() { nav.take(record); }
    const DisplayState& shown() const { return nav.shown; }
    const FixState& fix() { return nav.state().fix; }

    EngineHarness nav;
    GPSRecord record;
};

TEST_F(FixIngestion, StateTextsAndColoursFollowTheReport)
{
    struct Row {
        const char* name;
        double online;
        int mode;
        std::optional<std::string> title;
        std::string modeText;
        std::optional<Colour> colour;
        bool indicatorVisible;
    };
    const Row rows[] = {
        {"off line", offline, 3, "GPS OFFLINE", "", Colour::Clear, false},
        {"mode 0", online, 0, "No GPS information received...", "No data", Colour::Gray, true},
        {"mode 1", online, 1, "No GPS fix...", "No fix", Colour::Red, true},
        {"mode 2", online, 2, "2D fix", "2D fix", Colour::Yellow, true},
        {"mode 3", online, 3, "3D fix", "3D fix", Colour::Green, true},
        {"unknown state counts as on line", nan, 3, "3D fix", "3D fix", Colour::Green, true},
        {"mode out of range writes no state", online, 7, std::nullopt, "", Colour::Clear, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        nav.clear();
        report(row.mode, row.online);
        const DisplayState s = shown();
        EXPECT_EQ(s.title(f::fixBox), row.title);
        EXPECT_EQ(s.text(f::fixMode), row.modeText);
        EXPECT_EQ(s.colour(f::fixModeColor), row.colour);
        EXPECT_EQ(s.visible(f::gpsDataIndicator), row.indicatorVisible);
        EXPECT_EQ(s.steps(f::gpsDataIndicator), 1);
    }
}

TEST_F(FixIngestion, ModeChangesRaiseOneAlertEach)
{
    struct Row {
        const char* name;
        std::vector<std::pair<double, int>> reports;
        std::vector<std::string> alerts;
    };
    const Row rows[] = {
        {"first report with 3D", {{online, 3}}, {"GPSModeUp3D"}},
        {"no fix, then 2D, then 3D", {{online, 1}, {online, 2}, {online, 3}},
            {"GPSOnline", "GPSModeUp2D", "GPSModeUp3D"}},
        {"3D falls to 2D", {{online, 3}, {online, 2}}, {"GPSModeUp3D", "TRVGPSModeDown2D"}},
        {"3D falls to no fix", {{online, 3}, {online, 1}}, {"GPSModeUp3D", "GPSModeDown0D"}},
        {"2D falls to no fix", {{online, 2}, {online, 1}}, {"GPSModeUp2D", "GPSModeDown0D"}},
        {"same mode again", {{online, 2}, {online, 2}, {online, 2}}, {"GPSModeUp2D"}},
        {"off line after a fix, then back", {{online, 3}, {offline, 3}, {offline, 3}, {online, 3}},
            {"GPSModeUp3D", "GPSOffline", "GPSModeUp3D"}},
        {"off line from the start", {{offline, 0}, {offline, 3}}, {}},
        {"on line mode 0 after a fix has no alert key", {{online, 3}, {online, 0}}, {"GPSModeUp3D"}},
        {"modes outside 0 to 3 have no alert key", {{online, 9}, {online, 3}, {online, -1}}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        report(0, offline); // back to the start state
        nav.events.clear();
        for (const auto& [state, mode] : row.reports)
            report(mode, state);
        EXPECT_EQ(nav.alertKeys(), row.alerts);
    }
}

TEST_F(FixIngestion, FixValuesAreShownInEachUnitSystem)
{
    struct Row {
        char units;
        double speed;
        double altitude;
        double vspeed;
        double herror;
        double verror;
    };
    // From the units' definitions: a foot is 0.3048 m, a nautical mile
    // 1852 m, a statute mile 1609.344 m.
    constexpr double ft = 1.0 / 0.3048;
    constexpr double kt = 3600.0 / 1852.0;
    constexpr double mph = 3600.0 / 1609.344;
    const Row rows[] = {
        {'n', 10 * kt, 100 * ft, 120 * ft, 10 * ft, 20 * ft},
        {'m', 36.0, 100.0, 2.0, 10.0, 20.0},
        {'i', 10 * mph, 100 * ft, 120 * ft, 10 * ft, 20 * ft},
        {'s', 10.0, 100.0, 2.0, 10.0, 20.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.units);
        nav.keep(nav.engine.changeUnits(row.units));
        report(3);
        const DisplayState s = shown();
        EXPECT_DOUBLE_EQ(*s.number(f::fixLatitude), 52.5);
        EXPECT_DOUBLE_EQ(*s.number(f::fixLongitude), 13.3);
        EXPECT_NEAR(*s.number(f::fixSpeed), row.speed, 1e-6);
        EXPECT_NEAR(*s.number(f::fixAltitude), row.altitude, 1e-5);
        EXPECT_DOUBLE_EQ(*s.number(f::fixTrack), 45.0);
        EXPECT_NEAR(*s.number(f::fixVSpeed), row.vspeed, 1e-5);
        EXPECT_NEAR(*s.number(f::fixHError), row.herror, 1e-6);
        EXPECT_NEAR(*s.number(f::fixVError), row.verror, 1e-6);
        // The meters take metres whatever the units.
        EXPECT_DOUBLE_EQ(*s.number(f::fixHErrorMeter), 10.0);
        EXPECT_DOUBLE_EQ(*s.number(f::fixVErrorMeter), 20.0);
        const FixState fix = this->fix();
        EXPECT_NEAR(fix.spd, row.speed, 1e-6);
        EXPECT_NEAR(fix.alt, row.altitude, 1e-5);
        EXPECT_DOUBLE_EQ(fix.trk, 45.0);
    }
}

TEST_F(FixIngestion, ReportsWithoutAFixKeepTheFixState)
{
    report(3);
    const FixState before = fix();
    for (const int mode : {1, 0, 7}) {
        report(mode);
        const FixState after = fix();
        EXPECT_EQ(after.lat, before.lat);
        EXPECT_EQ(after.spd, before.spd);
        EXPECT_EQ(after.fixDate, before.fixDate);
        // ...while the fields are blank.
        EXPECT_EQ(shown().text(f::fixLatitude), "");
    }
    report(3, offline);
    EXPECT_EQ(fix().lat, before.lat);
}

TEST_F(FixIngestion, ATrackOfExactlyZeroLeavesTheFieldBlank)
{
    record.fix.track = 0.0;
    report(2);
    record.fix.track = 0.0;
    take();
    EXPECT_EQ(shown().text(f::fixTrack), "");
    EXPECT_DOUBLE_EQ(fix().trk, 0.0);
}

TEST_F(FixIngestion, ErrorFieldsAreShownOnlyWithAnEstimate)
{
    struct Row {
        const char* name;
        int mode;
        double eph;
        double epv;
        bool horizontal;
        bool vertical;
    };
    const Row rows[] = {
        {"3D with both", 3, 5.0, 8.0, true, true},
        {"3D with a vertical estimate of 0", 3, 5.0, 0.0, true, true},
        {"3D without a vertical estimate", 3, 5.0, nan, true, false},
        {"2D hides the vertical fields", 2, 5.0, 8.0, true, false},
        {"2D with a horizontal estimate of 0", 2, 0.0, 8.0, false, false},
        {"2D without a horizontal estimate", 2, nan, 8.0, false, false},
        {"no fix", 1, 5.0, 8.0, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        GPSRecord& r = record;
        r.online = online;
        r.fix.mode = row.mode;
        r.fix.eph = row.eph;
        r.fix.epv = row.epv;
        take();
        const DisplayState s = shown();
        for (const auto field : {f::fixHError, f::fixHErrorMeter, f::unitsHError})
            EXPECT_EQ(s.visible(field), row.horizontal) << field;
        for (const auto field : {f::fixVError, f::fixVErrorMeter, f::unitsVError})
            EXPECT_EQ(s.visible(field), row.vertical) << field;
    }
}

TEST_F(FixIngestion, TheFixTimeDropsTheFractionOfTheSecond)
{
    report(3); // 1714564812.7 = 2024-05-01 12:00:12.7 UTC
    EXPECT_EQ(shown().text(f::fixTime), "2024-05-01 12:00:12");
    EXPECT_EQ(fix().fixDate.time_since_epoch().count(), 1714564812);
    EXPECT_EQ(shown().date(f::fixTimeLocal), fix().fixDate);
}

TEST_F(FixIngestion, CurrentPositionIsCreatedUpdatedInPlaceAndReleased)
{
    LogCapture log;
    report(3);
    const WaypointPtr ppos = fix().currentPos;
    ASSERT_TRUE(ppos);
    EXPECT_EQ(nav.positionChanges(), 1);
    WaypointSnapshot s = ppos->snapshot();
    EXPECT_EQ(s.wpName, "PPOS");
    EXPECT_EQ(s.wpComment, "2024-05-01 12:00:12");
    EXPECT_FLOAT_EQ(s.latitude, 52.5f);
    EXPECT_FLOAT_EQ(s.longitude, 13.3f);
    // Metres, whatever the units shown.
    EXPECT_FLOAT_EQ(s.altitude, 100.0f);

    record.fix.time = 1714564813.2;
    record.fix.latitude = 52.6;
    take();
    EXPECT_EQ(fix().currentPos, ppos) << "the same shared waypoint";
    s = ppos->snapshot();
    EXPECT_EQ(s.wpComment, "2024-05-01 12:00:13");
    EXPECT_FLOAT_EQ(s.latitude, 52.6f);
    EXPECT_EQ(nav.positionChanges(), 1);

    // A fix without a time keeps the position as it was.
    record.fix.time = nan;
    take();
    EXPECT_EQ(fix().currentPos, ppos);
    EXPECT_EQ(ppos->snapshot().wpComment, "2024-05-01 12:00:13");

    report(1);
    EXPECT_FALSE(fix().currentPos);
    EXPECT_EQ(nav.positionChanges(), 2);
    EXPECT_EQ(log.count("just lost position - releasing cp"), 1u);
    report(1);
    EXPECT_EQ(nav.positionChanges(), 2);

    // Off line does not release it: only a report without a fix does.
    report(3);
    report(3, offline);
    EXPECT_TRUE(fix().currentPos);
    EXPECT_EQ(nav.positionChanges(), 3);
}

TEST_F(FixIngestion, AFixTimeBeyondAnyCalendarIsLoggedAndIgnored)
{
    LogCapture log;
    GPSRecord& r = record;
    r.online = online;
    r.fix.mode = 3;
    r.fix.latitude = 52.5;
    r.fix.longitude = 13.3;
    for (const double time : {1e300, 253402300800.0}) {
        r.fix.time = time;
        take();
    }
    EXPECT_FALSE(fix().currentPos);
    const std::vector<std::string> lines = log.lines();
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(),
            [](const std::string& line) { return line.starts_with("Ignoring a fix time beyond the year 9999: "); }),
        2);
}

TEST_F(FixIngestion, SatelliteMatrixShowsTwelveAndHighlightsUsedOnes)
{
    GPSRecord& r = record;
    r.satellites = 14;
    for (int i = 0; i < 14; ++i)
        r.channels[static_cast<size_t>(i)] = {i + 1, 30 + i, i % 2};
    report(3);
    DisplayState s = shown();
    EXPECT_EQ(s.columns(f::satsInView), 12);
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        const bool used = i % 2 == 1;
        EXPECT_EQ(s.cell(f::satsInView, 0, i)->text, std::to_string(i + 1));
        EXPECT_EQ(s.cell(f::satsInView, 1, i)->text, std::to_string(30 + i));
        EXPECT_EQ(s.cell(f::satsInView, 0, i)->highlighted, used);
        EXPECT_EQ(s.cell(f::satsInView, 1, i)->highlighted, used);
    }
    EXPECT_FALSE(s.cell(f::satsInView, 0, 12));

    // A report without satellites leaves the matrix as it was.
    r.satellites = 0;
    report(3);
    EXPECT_EQ(shown().columns(f::satsInView), 12);

    r.satellites = 1;
    report(3);
    s = shown();
    EXPECT_EQ(s.columns(f::satsInView), 1);
    EXPECT_EQ(s.cell(f::satsInView, 0, 0)->text, "1");

    // Off line empties it.
    report(3, offline);
    s = shown();
    EXPECT_EQ(s.columns(f::satsInView), 1);
    EXPECT_EQ(s.cell(f::satsInView, 0, 0)->text, "");
    EXPECT_FALSE(s.cell(f::satsInView, 0, 0)->highlighted);
}

TEST_F(FixIngestion, MiniNavLeavesTheGPSWindowUntouched)
{
    nav.state().mnOn = true;
    record.satellites = 2;
    report(3);
    const DisplayState s = shown();
    EXPECT_EQ(s.title(f::mnBox), "3D fix");
    EXPECT_EQ(s.colour(f::mnModeColor), Colour::Green);
    EXPECT_DOUBLE_EQ(*s.number(f::mnLatitude), 52.5);
    EXPECT_EQ(s.text(f::mnTime), "2024-05-01 12:00:12");
    EXPECT_EQ(s.steps(f::mnDataIndicator), 1);
    EXPECT_EQ(s.enabled(f::mnCDI), false);
    for (const auto field :
        {f::fixBox, f::fixMode, f::fixLatitude, f::fixTime, f::fixTimeLocal, f::fixHError, f::fixVError,
            f::fixHErrorMeter, f::unitsHError, f::satsInView, f::gpsDataIndicator, f::wpBearing, f::wpCrossTrackCDI})
        EXPECT_EQ(s.field(field), nullptr) << field;
    EXPECT_TRUE(fix().currentPos);
}

TEST_F(FixIngestion, ClearFixFieldsBlanksTheFixAndNavigationFields)
{
    report(3);
    nav.clear();
    nav.keep(nav.engine.clearFixFields());
    const DisplayState s = shown();
    for (const auto field : {f::fixTime, f::fixLatitude, f::fixLongitude, f::fixAltitude, f::fixSpeed, f::fixTrack,
             f::wpDistance, f::wpETE, f::fixTimeLocal, f::fixHError, f::fixVError, f::fixMode, f::fixVSpeed,
             f::wpBearing, f::wpCrossTrack, f::wpETA, f::wpETALocal, f::wpVMG, f::dDistance, f::dETA, f::dETE})
        EXPECT_EQ(s.text(field), "") << field;
    EXPECT_EQ(s.number(f::fixHErrorMeter), 0.0);
    EXPECT_EQ(s.number(f::fixVErrorMeter), 0.0);
    EXPECT_EQ(s.number(f::wpCrossTrackCDI), 0.0);
    EXPECT_EQ(s.enabled(f::wpCrossTrackCDI), false);
    EXPECT_EQ(s.colour(f::fixModeColor), Colour::Clear);
}

TEST(UnitLabels, EachLabelShowsItsQuantitysUnit)
{
    EngineHarness nav;
    const auto labels = [&nav] {
        std::vector<std::string> shown;
        for (const auto field : {f::unitsAltitude, f::mnUnitsAltitude, f::unitsSpeed, f::unitsVMG, f::mnUnitsSpeed,
                 f::unitsVSpeed, f::unitsDistance, f::unitsDDistance, f::unitsCrossTrack, f::mnUnitsDistance,
                 f::unitsHError, f::unitsVError})
            shown.push_back(nav.shown.text(field).value_or("<unwritten>"));
        return shown;
    };
    const std::vector<std::string> metric{"m", "m", "km/h", "km/h", "km/h", "m/s", "km", "km", "km", "km", "m", "m"};
    nav.keep(nav.engine.changeUnits('m'));
    EXPECT_EQ(labels(), metric);
    EXPECT_EQ(nav.state().units, 'm');

    // An unknown code is kept and logged; the system and labels stay.
    LogCapture log;
    nav.keep(nav.engine.changeUnits('q'));
    EXPECT_TRUE(log.contains("Unknown units - q"));
    EXPECT_EQ(nav.state().units, 'q');
    EXPECT_EQ(labels(), metric);
    // Before any known system, factors are 0 and labels empty.
    NavEngine fresh;
    const NavEngine::Output out = fresh.changeUnits('x');
    DisplayState state;
    state.apply(out.display);
    EXPECT_EQ(fresh.state().unitSystem, nullptr);
    EXPECT_EQ(state.text(f::unitsSpeed), "");
}

TEST(UnitLabels, UnknownCodesAndRowsNameNoSystem)
{
    for (const char code : {'x', 'N', '\0', ' ', 'M'}) {
        EXPECT_EQ(UnitSystem::forCode(code), nullptr) << int(code);
        EXPECT_FALSE(UnitSystem::rowForCode(code).has_value()) << int(code);
    }
    for (const int row : {-1, 4, 110}) {
        EXPECT_EQ(UnitSystem::forRow(row), nullptr) << row;
        EXPECT_FALSE(UnitSystem::codeForRow(row).has_value()) << row;
    }
    // Codes and rows name the same systems both ways.
    for (const int row : {0, 1, 2, 3})
        EXPECT_EQ(UnitSystem::rowForCode(*UnitSystem::codeForRow(row)), row);
}

} // namespace
} // namespace navora::test
