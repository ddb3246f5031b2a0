// Fix ingestion: each report into the fix state, "PPOS", the display and the
// mode alerts; the unit systems' labels and scales.
#include "nav/EngineHarness.h"

#include "nav/DisplayFields.h"
#include "nav/UnitSystem.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

namespace navora::test {
namespace {

namespace f = navora::fields;
using Colour = DisplayBatch::Colour;
using namespace std::chrono_literals;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double offline = 0.0;
constexpr double online = 1714564812.0;

bool shownFinite(const DisplayState& s, std::string_view field)
{
    return std::isfinite(s.number(field).value_or(nan));
}

// A report at (52.5, 13.3), 100 m up, at a fix time.
GPSRecord fixAt(double time, int mode = 3, double state = online)
{
    GPSRecord r = EngineHarness::fix(52.5, 13.3, nan, nan, time - EngineHarness::startTime, mode);
    r.online = state;
    r.fix.altitude = 100.0;
    return r;
}

class FixIngestion : public testing::Test {
protected:
    // One report as gpsd would send it: for mode 2 or 3 a plausible fix, each
    // its own epoch a second after the one before (the first 12:00:12.7).
    void report(int mode, double state = online)
    {
        GPSRecord::Fix fix;
        fix.mode = mode;
        if (mode >= 2) {
            fix = fixAt(1714564812.7 + seconds++, mode).fix;
            fix.speed = 10.0;
            fix.track = 45.0;
            fix.climb = 2.0;
            fix.eph = 10.0;
            fix.epv = 20.0;
        }
        record.online = state;
        record.fix = fix;
        nav.take(record);
    }
    const FixState& fix() { return nav.state().fix; }
    EngineHarness nav;
    GPSRecord record;
    int seconds = 0;
};

// The box, mode and indicator follow each report; reports without a fix
// blank the position and keep the fix state as it was.
TEST_F(FixIngestion, StateTextsAndColoursFollowTheReport)
{
    struct Row {
        double online;
        int mode;
        std::optional<std::string> title;
        std::string modeText;
        std::optional<Colour> colour;
        bool indicatorVisible;
        bool latitude; // shown, or else blanked
    };
    const Row rows[] = {
        {online, 3, "3D fix", "3D fix", Colour::Green, true, true},
        {online, 1, "No GPS fix...", "No fix", Colour::Red, true, false},
        {online, 2, "2D fix", "2D fix", Colour::Yellow, true, true},
        {online, 0, "No GPS information received...", "No data", Colour::Gray, true, false},
        {nan, 3, "3D fix", "3D fix", Colour::Green, true, true}, // an unknown state counts as on line
        {offline, 3, "GPS OFFLINE", "", Colour::Clear, false, false},
        {online, 7, std::nullopt, "", Colour::Clear, true, false}, // a mode out of range writes no state
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.online << " " << row.mode);
        nav.clear();
        report(row.mode, row.online);
        const DisplayState& s = nav.shown;
        EXPECT_EQ(s.title(f::fixBox), row.title);
        EXPECT_EQ(s.text(f::fixMode), row.modeText);
        EXPECT_EQ(s.colour(f::fixModeColor), row.colour);
        EXPECT_EQ(s.visible(f::gpsDataIndicator), row.indicatorVisible);
        EXPECT_EQ(s.steps(f::gpsDataIndicator), 1);
        EXPECT_EQ(s.number(f::fixLatitude) == 52.5 ? "shown" : s.text(f::fixLatitude), row.latitude ? "shown" : "");
        EXPECT_EQ(fix().lat, 52.5);
        EXPECT_NEAR(fix().spd, 10 * 3600 / 1852.0, 1e-6);
        EXPECT_GE(fix().fixDate.time_since_epoch().count(), 1714564812);
    }
}

// gpsd sends one report per sentence, all with the epoch's fix time, each
// with the fields of its sentence; the mode is decided on the merged epoch
// (3D needs an altitude, any fix a position) and each real change raises one
// alert, at the latest when the next epoch begins.
TEST_F(FixIngestion, ModeIsDecidedOncePerEpochOnTheMergedFix)
{
    // Its epoch (second), gpsd's mode, and whether it has a position and an altitude.
    struct Report {
        int epoch;
        int mode;
        bool position;
        bool altitude;
        double state = online;
    };
    struct Row {
        const char* name;
        std::vector<Report> reports;
        std::vector<std::string> alerts;
        const char* never; // a title the box never shows
    };
    const Row rows[] = {
        {"first fix: RMC 2D, then GGA 3D in one epoch", {{1, 2, true, false}, {1, 3, true, true}, {2, 3, true, true}},
            {"GPSModeUp3D"}, "(none)"},
        {"GGA-first 2D phase: gpsd says 3 without altitude",
            {{1, 2, true, false}, {1, 3, true, false}, {2, 2, true, false}, {2, 3, true, false}, {3, 2, true, false},
                {3, 3, true, false}, {4, 2, true, false}},
            {"GPSModeUp2D"}, "3D fix"},
        {"no fix, then 2D, then 3D", {{1, 1, false, false}, {2, 2, true, false}, {3, 3, true, true}},
            {"GPSOnline", "GPSModeUp2D", "GPSModeUp3D"}, "(none)"},
        {"3D falls to 2D", {{1, 3, true, true}, {2, 2, true, false}, {3, 2, true, false}},
            {"GPSModeUp3D", "TRVGPSModeDown2D"}, "(none)"},
        {"3D falls to no fix", {{1, 3, true, true}, {2, 1, false, false}, {3, 1, false, false}},
            {"GPSModeUp3D", "GPSModeDown0D"}, "(none)"},
        {"3D before any position is no fix", {{1, 3, false, true}, {2, 3, false, true}, {3, 3, false, true}},
            {"GPSOnline"}, "3D fix"},
        {"off line after a fix, then back",
            {{1, 3, true, true}, {2, 3, true, true, offline}, {3, 3, true, true, offline}, {4, 3, true, true}},
            {"GPSModeUp3D", "GPSOffline", "GPSModeUp3D"}, "(none)"},
        {"modes outside 0 to 3 have no alert key", {{1, 9, true, true}, {2, 3, true, true}, {3, -1, true, true}}, {},
            "(none)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EngineHarness run;
        for (const Report& report : row.reports) {
            GPSRecord r = fixAt(1714564800.0 + report.epoch, report.mode, report.state);
            r.fix.latitude = report.position ? r.fix.latitude : nan;
            r.fix.longitude = report.position ? r.fix.longitude : nan;
            r.fix.altitude = report.altitude ? r.fix.altitude : nan;
            run.take(r);
            EXPECT_NE(run.shown.title(f::fixBox).value_or(""), row.never) << "epoch " << report.epoch;
        }
        EXPECT_EQ(run.alertKeys(), row.alerts);
    }
}

// Within an epoch a field one report lacks comes from another report of the
// same epoch, never from an older one.
TEST_F(FixIngestion, FieldsOfOneEpochAreMergedAndNeverCarriedOver)
{
    const auto send = [this](double time, double track, double altitude) {
        GPSRecord r = fixAt(time);
        r.fix.altitude = altitude;
        r.fix.speed = 5.0;
        r.fix.track = track;
        nav.take(r);
    };
    send(1714564801.0, 45.0, nan); // RMC
    send(1714564801.0, nan, 100.0); // GGA of the same epoch
    EXPECT_EQ(nav.shown.number(f::fixTrack), 45.0);
    EXPECT_EQ(nav.shown.title(f::fixBox), "3D fix");
    send(1714564802.0, nan, 100.0); // GGA of the next epoch, before its RMC
    EXPECT_FALSE(shownFinite(nav.shown, f::fixTrack));
}

// Values no receiver can give are unknown, as is a negative error estimate;
// a track of exactly 0 shows blank. The errors show only with an estimate
// (the vertical one in 3D).
TEST_F(FixIngestion, ImpossibleValuesAreUnknownAndErrorsNeedAnEstimate)
{
    struct Row {
        int mode;
        double latitude, speed, track, eph, epv;
        const char* title;
        bool speedShown, trackShown, horizontal, vertical;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Row rows[] = {
        {3, 52.5, 5.0, 45.0, -5.0, nan, "3D fix", true, true, false, false},
        {3, 400.0, 5.0, 45.0, -5.0, nan, "No GPS fix...", false, false, false, false},
        {3, 52.5, -1e308, 45.0, -5.0, nan, "3D fix", false, true, false, false},
        {3, 52.5, 400.0, 45.0, -5.0, nan, "3D fix", false, true, false, false},
        {3, 52.5, 5.0, 400.0, -5.0, nan, "3D fix", true, false, false, false},
        {3, 52.5, 5.0, 0.0, -5.0, nan, "3D fix", true, false, false, false},
        {3, 52.5, inf, 45.0, -5.0, nan, "3D fix", false, true, false, false},
        {3, 52.5, 5.0, 45.0, 5.0, 8.0, "3D fix", true, true, true, true},
        {3, 52.5, 5.0, 45.0, 5.0, 0.0, "3D fix", true, true, true, true},
        {3, 52.5, 5.0, 45.0, 5.0, nan, "3D fix", true, true, true, false},
        {2, 52.5, 5.0, 45.0, 5.0, 8.0, "2D fix", true, true, true, false},
        {2, 52.5, 5.0, 45.0, 0.0, 8.0, "2D fix", true, true, false, false},
        {2, 52.5, 5.0, 45.0, nan, 8.0, "2D fix", true, true, false, false},
        {1, 52.5, 5.0, 45.0, 5.0, 8.0, "No GPS fix...", false, false, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.mode << " " << row.latitude << " " << row.speed << " " << row.track
                                        << " " << row.eph << " " << row.epv);
        EngineHarness run;
        GPSRecord r = fixAt(1714564801.0, row.mode);
        r.fix.latitude = row.latitude;
        r.fix.speed = row.speed;
        r.fix.track = row.track;
        r.fix.eph = row.eph;
        r.fix.epv = row.epv;
        run.take(r);
        EXPECT_EQ(run.shown.title(f::fixBox), row.title);
        EXPECT_EQ(shownFinite(run.shown, f::fixSpeed), row.speedShown);
        EXPECT_EQ(shownFinite(run.shown, f::fixTrack), row.trackShown);
        EXPECT_FALSE(row.eph < 0 && shownFinite(run.shown, f::fixHError)) << "a negative estimate shows no number";
        for (const auto field : {f::fixHError, f::fixHErrorMeter, f::unitsHError})
            EXPECT_EQ(run.shown.visible(field), row.horizontal) << field;
        for (const auto field : {f::fixVError, f::fixVErrorMeter, f::unitsVError})
            EXPECT_EQ(run.shown.visible(field), row.vertical) << field;
    }
}

// A receiver that held a position and falls silent goes off line once past
// the stale bound (5 s, or three of its usual intervals); a status reply
// repeating the last fix does not bring it back, a new fix does.
TEST_F(FixIngestion, ASilentReceiverGoesOffLineAndComesBack)
{
    const auto send = [this](double time, std::chrono::steady_clock::time_point at) {
        nav.keep(nav.engine.takeReport(fixAt(time), at));
    };
    struct Row {
        std::chrono::seconds interval, stillOnLine, offLine;
    };
    for (const Row& row : {Row{1s, 5s, 6s}, Row{5s, 15s, 16s}}) {
        SCOPED_TRACE(row.interval.count());
        nav = EngineHarness();
        const double step = static_cast<double>(row.interval.count());
        double time = 1714564800.0;
        std::chrono::steady_clock::time_point at{};
        for (int i = 0; i < 6; ++i, time += step, at += row.interval)
            send(time, at);
        const auto last = at - row.interval;
        nav.keep(nav.engine.checkStale(last + row.stillOnLine));
        EXPECT_EQ(nav.count("GPSOffline"), 0u);
        send(time - step, last + row.stillOnLine); // a status reply
        nav.keep(nav.engine.checkStale(last + row.offLine));
        EXPECT_EQ(nav.count("GPSOffline"), 1u);
        EXPECT_EQ(nav.shown.title(f::fixBox), "GPS OFFLINE");
        EXPECT_FALSE(fix().currentPos);
        EXPECT_EQ(nav.shown.text(f::fixLatitude), "");
        nav.keep(nav.engine.checkStale(last + row.offLine + 10s));
        send(time - step, last + row.offLine + 11s); // repeated again
        EXPECT_EQ(nav.shown.title(f::fixBox), "GPS OFFLINE");
        EXPECT_EQ(nav.count("GPSOffline"), 1u);
        send(time, last + row.offLine + 12s); // a new fix
        EXPECT_EQ(nav.shown.title(f::fixBox), "3D fix");
        EXPECT_TRUE(fix().currentPos);
        EXPECT_EQ(nav.alertKeys().back(), "GPSModeUp3D");
    }
    // Giving up the link puts it off line at once.
    nav.keep(nav.engine.linkLost());
    EXPECT_EQ(nav.count("GPSOffline"), 2u);
}

// Each unit system: the fix values, the labels and the CDI scales (round
// numbers in its distance unit, their widths in nautical miles). A foot is
// 0.3048 m, a nautical mile 1852 m, a statute mile 1609.344 m.
TEST_F(FixIngestion, FixValuesLabelsAndScalesInEachUnitSystem)
{
    constexpr double ft = 1.0 / 0.3048, kt = 3600.0 / 1852.0, mph = 3600.0 / 1609.344;
    constexpr double mi = 1609.344 / 1852.0, km = 1000 / 1852.0;
    struct Row {
        char units;
        double speed, altitude, vspeed, herror, verror;
        // Altitude, speed, vertical speed, distance, error; the scales.
        std::array<const char*, 5> labels;
        std::array<const char*, 3> scales;
        std::array<double, 3> nm;
    };
    const Row rows[] = {
        {'n', 10 * kt, 100 * ft, 120 * ft, 10 * ft, 20 * ft, {"ft", "kt", "ft/min", "nm", "ft"},
            {"5 nm", "1 nm", "0.3 nm"}, {5.0, 1.0, 0.3}},
        {'m', 36.0, 100.0, 2.0, 10.0, 20.0, {"m", "km/h", "m/s", "km", "m"}, {"10 km", "2 km", "0.5 km"},
            {10 * km, 2 * km, 0.5 * km}},
        {'i', 10 * mph, 100 * ft, 120 * ft, 10 * ft, 20 * ft, {"ft", "mph", "ft/min", "mi", "ft"},
            {"5 mi", "1 mi", "0.3 mi"}, {5 * mi, 1 * mi, 0.3 * mi}},
        {'s', 10.0, 100.0, 2.0, 10.0, 20.0, {"m", "m/s", "m/s", "m", "m"}, {"10000 m", "2000 m", "500 m"},
            {10 * km, 2 * km, 0.5 * km}},
    };
    const std::vector<std::vector<std::string_view>> labelled{{f::unitsAltitude, f::mnUnitsAltitude},
        {f::unitsSpeed, f::unitsVMG, f::mnUnitsSpeed}, {f::unitsVSpeed},
        {f::unitsDistance, f::unitsDDistance, f::unitsCrossTrack, f::mnUnitsDistance},
        {f::unitsHError, f::unitsVError}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.units);
        nav.keep(nav.engine.changeUnits(row.units));
        EXPECT_EQ(nav.state().units, row.units);
        report(3);
        const DisplayState& s = nav.shown;
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
        EXPECT_NEAR(fix().spd, row.speed, 1e-6);
        EXPECT_NEAR(fix().alt, row.altitude, 1e-5);
        EXPECT_DOUBLE_EQ(fix().trk, 45.0);
        for (size_t i = 0; i < labelled.size(); ++i)
            for (const std::string_view field : labelled[i])
                EXPECT_EQ(s.text(field), row.labels[i]) << field;
        const UnitSystem& system = *UnitSystem::forCode(row.units);
        for (const int column : {0, 1, 2}) {
            EXPECT_EQ(s.text(std::array{f::wpCDIScale0, f::wpCDIScale1, f::wpCDIScale2}[size_t(column)]),
                row.scales[size_t(column)]);
            EXPECT_NEAR(*system.cdiScaleNm(column), row.nm[size_t(column)], 1e-6);
        }
        EXPECT_EQ(system.cdiScaleText(3), "");
        EXPECT_FALSE(system.cdiScaleNm(-1).has_value());
    }
    // An unknown code is kept and logged; the system and labels stay.
    LogCapture log;
    nav.keep(nav.engine.changeUnits('q'));
    EXPECT_TRUE(log.contains("Unknown units - q"));
    EXPECT_EQ(nav.state().units, 'q');
    EXPECT_EQ(nav.shown.text(f::unitsSpeed), "m/s");
    // Before any known system, factors are 0 and labels empty.
    NavEngine fresh;
    DisplayState state;
    state.apply(fresh.changeUnits('x').display);
    EXPECT_EQ(fresh.state().unitSystem, nullptr);
    EXPECT_EQ(state.text(f::unitsSpeed), "");
}

// "PPOS" is made on the first fix, moved in place, released on a report
// without a fix; its comment and the fix time drop the fraction of a second.
// A fix time beyond any calendar is logged and ignored.
TEST_F(FixIngestion, CurrentPositionIsCreatedUpdatedInPlaceAndReleased)
{
    LogCapture log;
    for (const double time : {1e300, 253402300800.0})
        nav.take(fixAt(time));
    EXPECT_FALSE(fix().currentPos);
    const std::vector<std::string> lines = log.lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                  [](const std::string& l) { return l.starts_with("Ignoring a fix time beyond the year 9999: "); }),
        2);
    report(3);
    EXPECT_EQ(nav.shown.text(f::fixTime), "2024-05-01 12:00:12");
    EXPECT_EQ(fix().fixDate.time_since_epoch().count(), 1714564812);
    EXPECT_EQ(nav.shown.date(f::fixTimeLocal), fix().fixDate);
    const WaypointPtr ppos = fix().currentPos;
    ASSERT_TRUE(ppos);
    EXPECT_EQ(nav.all<NavEngine::PositionChanged>().size(), 1u);
    WaypointSnapshot s = ppos->snapshot();
    EXPECT_EQ(s.wpName, "PPOS");
    EXPECT_EQ(s.wpComment, "2024-05-01 12:00:12");
    EXPECT_FLOAT_EQ(s.latitude, 52.5f);
    EXPECT_FLOAT_EQ(s.longitude, 13.3f);
    EXPECT_FLOAT_EQ(s.altitude, 100.0f); // metres, whatever the units shown
    record.fix.time = 1714564813.2;
    record.fix.latitude = 52.6;
    nav.take(record);
    EXPECT_EQ(fix().currentPos, ppos) << "the same shared waypoint";
    s = ppos->snapshot();
    EXPECT_EQ(s.wpComment, "2024-05-01 12:00:13");
    EXPECT_FLOAT_EQ(s.latitude, 52.6f);
    EXPECT_EQ(nav.all<NavEngine::PositionChanged>().size(), 1u);
    // A fix without a time keeps the position as it was.
    record.fix.time = nan;
    nav.take(record);
    EXPECT_EQ(fix().currentPos, ppos);
    EXPECT_EQ(ppos->snapshot().wpComment, "2024-05-01 12:00:13");
    report(1);
    report(1);
    EXPECT_FALSE(fix().currentPos);
    EXPECT_EQ(nav.all<NavEngine::PositionChanged>().size(), 2u);
    EXPECT_EQ(log.count("just lost position - releasing cp"), 1u);
    // Off line does not release it: only a report without a fix does.
    report(3);
    report(3, offline);
    EXPECT_TRUE(fix().currentPos);
    EXPECT_EQ(nav.all<NavEngine::PositionChanged>().size(), 3u);
}

TEST_F(FixIngestion, SatelliteMatrixShowsTwelveUsedFirstThenStrongest)
{
    // PRN 1 to 14, signal 31 to 44, the even ones used.
    record.satellites = 14;
    for (int i = 0; i < 14; ++i)
        record.channels[static_cast<size_t>(i)] = {i + 1, 31 + i, (i + 1) % 2 == 0 ? 1 : 0};
    report(3);
    EXPECT_EQ(nav.shown.columns(f::satsInView), 12);
    const int expected[12] = {14, 12, 10, 8, 6, 4, 2, 13, 11, 9, 7, 5};
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        for (int row = 0; row < 2; ++row) {
            EXPECT_EQ(nav.shown.cell(f::satsInView, row, i)->text, std::to_string(expected[i] + 30 * row));
            EXPECT_EQ(nav.shown.cell(f::satsInView, row, i)->highlighted, expected[i] % 2 == 0);
        }
    }
    EXPECT_FALSE(nav.shown.cell(f::satsInView, 0, 12));
    record.satellites = 0; // leaves the matrix as it was
    report(3);
    EXPECT_EQ(nav.shown.columns(f::satsInView), 12);
    record.satellites = 1;
    report(3);
    EXPECT_EQ(nav.shown.columns(f::satsInView), 1);
    EXPECT_EQ(nav.shown.cell(f::satsInView, 0, 0)->text, "1");
    report(3, offline); // empties it
    EXPECT_EQ(nav.shown.columns(f::satsInView), 1);
    EXPECT_EQ(nav.shown.cell(f::satsInView, 0, 0)->text, "");
    EXPECT_FALSE(nav.shown.cell(f::satsInView, 0, 0)->highlighted);
}

TEST_F(FixIngestion, MiniNavLeavesTheGPSWindowUntouched)
{
    nav.state().mnOn = true;
    record.satellites = 2;
    report(3);
    const DisplayState& s = nav.shown;
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
    const DisplayState& s = nav.shown;
    for (const auto field : {f::fixTime, f::fixLatitude, f::fixLongitude, f::fixAltitude, f::fixSpeed, f::fixTrack,
             f::wpDistance, f::wpETE, f::fixTimeLocal, f::fixHError, f::fixVError, f::fixMode, f::fixVSpeed,
             f::wpBearing, f::wpCrossTrack, f::wpETA, f::wpETALocal, f::wpVMG, f::dDistance, f::dETA, f::dETE})
        EXPECT_EQ(s.text(field), "") << field;
    for (const auto field : {f::fixHErrorMeter, f::fixVErrorMeter, f::wpCrossTrackCDI})
        EXPECT_EQ(s.number(field), 0.0) << field;
    EXPECT_EQ(s.enabled(f::wpCrossTrackCDI), false);
    EXPECT_EQ(s.colour(f::fixModeColor), Colour::Clear);
}

TEST(UnitSystems, UnknownCodesAndRowsNameNoSystem)
{
    for (const char code : {'x', 'N', '\0', ' ', 'M'}) {
        EXPECT_EQ(UnitSystem::forCode(code), nullptr) << int(code);
        EXPECT_FALSE(UnitSystem::rowForCode(code).has_value()) << int(code);
    }
    for (const int row : {-1, 4, 110}) {
        EXPECT_EQ(UnitSystem::forRow(row), nullptr) << row;
        EXPECT_FALSE(UnitSystem::codeForRow(row).has_value()) << row;
    }
    for (const int row : {0, 1, 2, 3}) // both ways the same systems
        EXPECT_EQ(UnitSystem::rowForCode(*UnitSystem::codeForRow(row)), row);
}

} // namespace
} // namespace navora::test
