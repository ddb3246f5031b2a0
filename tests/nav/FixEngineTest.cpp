// Fix ingestion: each report into the fix state, "PPOS", the display and the
// mode alerts.
#include "nav/EngineHarness.h"

#include "nav/DisplayFields.h"
#include "nav/UnitSystem.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace navora::test {
namespace {

namespace f = navora::fields;
using Colour = DisplayBatch::Colour;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double offline = 0.0;
constexpr double online = 1714564812.0;

// A 3D report on line at (52.5, 13.3), 100 m up, at a fix time.
GPSRecord fixAt(double time)
{
    GPSRecord r;
    r.online = online;
    r.fix.mode = 3;
    r.fix.time = time;
    r.fix.latitude = 52.5;
    r.fix.longitude = 13.3;
    r.fix.altitude = 100.0;
    return r;
}

class FixIngestion : public testing::Test {
protected:
    // One report as gpsd would send it, with a plausible fix for mode 2 or 3.
    void report(int mode, double onlineState = online)
    {
        GPSRecord& r = record;
        r.online = onlineState;
        r.fix.mode = mode;
        if (mode >= 2) {
            // Each report its own epoch, a second after the one before.
            r.fix.time = 1714564812.7 + seconds++;
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
    int seconds = 0;
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

// gpsd sends one report per sentence, all with the epoch's fix time, each
// with the fields of its sentence; the mode is decided on the merged epoch
// (3D needs an altitude, any fix a position) and each real change raises one
// alert, at the latest when the next epoch begins.
TEST_F(FixIngestion, ModeIsDecidedOncePerEpochOnTheMergedFix)
{
    // A report: its epoch (second), gpsd's mode and the fields it carries.
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
        // The box never shows this title ("(none)": no such title).
        const char* never;
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
            GPSRecord r;
            r.online = report.state;
            r.fix.mode = report.mode;
            r.fix.time = 1714564800.0 + report.epoch;
            if (report.position) {
                r.fix.latitude = 52.5;
                r.fix.longitude = 13.3;
            }
            if (report.altitude)
                r.fix.altitude = 100.0;
            run.take(r);
            EXPECT_NE(run.shown.title(f::fixBox).value_or(""), row.never) << "epoch " << report.epoch;
        }
        EXPECT_EQ(run.alertKeys(), row.alerts);
    }
}

// Within an epoch a field one report lacks comes from another report of the
// same epoch, never from an older one: the track stays while GGA's report
// has none, and goes when a new epoch brings none.
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
    EXPECT_EQ(shown().number(f::fixTrack), 45.0);
    EXPECT_EQ(shown().title(f::fixBox), "3D fix");
    send(1714564802.0, nan, 100.0); // GGA of the next epoch, before its RMC
    EXPECT_FALSE(std::isfinite(shown().number(f::fixTrack).value_or(nan))) << "blank";
}

// Values no receiver can give are unknown: a latitude of 400 is no
// position, a speed of -1e308 or 400 m/s and a track of 400 are blank.
TEST_F(FixIngestion, ImpossibleValuesAreUnknown)
{
    struct Row {
        const char* name;
        double latitude;
        double speed;
        double track;
        double eph;
        const char* title;
        bool speedShown;
        bool trackShown;
    };
    const Row rows[] = {
        {"plausible", 52.5, 5.0, 45.0, 10.0, "3D fix", true, true},
        {"latitude 400", 400.0, 5.0, 45.0, 10.0, "No GPS fix...", false, false},
        {"speed -1e308", 52.5, -1e308, 45.0, 10.0, "3D fix", false, true},
        {"speed 400 m/s", 52.5, 400.0, 45.0, 10.0, "3D fix", false, true},
        {"track 400", 52.5, 5.0, 400.0, 10.0, "3D fix", true, false},
        {"infinite speed", 52.5, std::numeric_limits<double>::infinity(), 45.0, 10.0, "3D fix", false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EngineHarness run;
        GPSRecord r;
        r.online = online;
        r.fix.mode = 3;
        r.fix.time = 1714564801.0;
        r.fix.latitude = row.latitude;
        r.fix.longitude = 13.3;
        r.fix.altitude = 100.0;
        r.fix.speed = row.speed;
        r.fix.track = row.track;
        r.fix.eph = -5.0;
        run.take(r);
        EXPECT_EQ(run.shown.title(f::fixBox), row.title);
        EXPECT_EQ(std::isfinite(run.shown.number(f::fixSpeed).value_or(nan)), row.speedShown);
        EXPECT_EQ(std::isfinite(run.shown.number(f::fixTrack).value_or(nan)), row.trackShown);
        EXPECT_FALSE(std::isfinite(run.shown.number(f::fixHError).value_or(nan))) << "a negative estimate";
    }
}

// A receiver that held a position and falls silent goes off line once past
// the stale bound (5 s, or three of its usual intervals); a status reply
// repeating the last fix does not bring it back, a new fix does.
TEST_F(FixIngestion, ASilentReceiverGoesOffLineAndComesBack)
{
    using namespace std::chrono_literals;
    const std::chrono::steady_clock::time_point start{};
    const auto send = [this](double time, std::chrono::steady_clock::time_point at) {
        const GPSRecord r = fixAt(time);
        nav.keep(nav.engine.takeReport(r, at));
    };
    struct Row {
        std::chrono::seconds interval;
        std::chrono::seconds stillOnLine;
        std::chrono::seconds offLine;
    };
    // One report a second: off line after 5 s. One every 5 s: after 15 s.
    const Row rows[] = {{1s, 5s, 6s}, {5s, 15s, 16s}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.interval.count());
        nav = EngineHarness();
        double time = 1714564800.0;
        std::chrono::steady_clock::time_point at = start;
        for (int i = 0; i < 6; ++i, time += static_cast<double>(row.interval.count()), at += row.interval)
            send(time, at);
        const auto last = at - row.interval;
        nav.keep(nav.engine.checkStale(last + row.stillOnLine));
        EXPECT_EQ(nav.count("GPSOffline"), 0u);
        send(time - static_cast<double>(row.interval.count()), last + row.stillOnLine); // a status reply
        nav.keep(nav.engine.checkStale(last + row.offLine));
        EXPECT_EQ(nav.count("GPSOffline"), 1u);
        EXPECT_EQ(nav.shown.title(f::fixBox), "GPS OFFLINE");
        EXPECT_FALSE(nav.state().fix.currentPos);
        EXPECT_EQ(nav.shown.text(f::fixLatitude), "");
        nav.keep(nav.engine.checkStale(last + row.offLine + 10s));
        send(time - static_cast<double>(row.interval.count()), last + row.offLine + 11s); // repeated again
        EXPECT_EQ(nav.shown.title(f::fixBox), "GPS OFFLINE");
        EXPECT_EQ(nav.count("GPSOffline"), 1u);
        send(time, last + row.offLine + 12s); // a new fix
        EXPECT_EQ(nav.shown.title(f::fixBox), "3D fix");
        EXPECT_TRUE(nav.state().fix.currentPos);
        EXPECT_EQ(nav.alertKeys().back(), "GPSModeUp3D");
    }
    // Giving up the link puts it off line at once.
    nav.keep(nav.engine.linkLost());
    EXPECT_EQ(nav.count("GPSOffline"), 2u);
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
        r.fix.time = 1714564812.0 + seconds++;
        r.fix.latitude = 52.5;
        r.fix.longitude = 13.3;
        r.fix.altitude = 100.0;
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

TEST_F(FixIngestion, SatelliteMatrixShowsTwelveUsedFirstThenStrongest)
{
    GPSRecord& r = record;
    r.satellites = 14;
    // PRN 1 to 14, signal 31 to 44, the even ones used.
    for (int i = 0; i < 14; ++i)
        r.channels[static_cast<size_t>(i)] = {i + 1, 31 + i, (i + 1) % 2 == 0 ? 1 : 0};
    report(3);
    DisplayState s = shown();
    EXPECT_EQ(s.columns(f::satsInView), 12);
    const int expected[12] = {14, 12, 10, 8, 6, 4, 2, 13, 11, 9, 7, 5};
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        const bool used = expected[i] % 2 == 0;
        EXPECT_EQ(s.cell(f::satsInView, 0, i)->text, std::to_string(expected[i]));
        EXPECT_EQ(s.cell(f::satsInView, 1, i)->text, std::to_string(expected[i] + 30));
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
                 f::unitsHError, f::unitsVError, f::wpCDIScale0, f::wpCDIScale1, f::wpCDIScale2})
            shown.push_back(nav.shown.text(field).value_or("<unwritten>"));
        return shown;
    };
    const std::vector<std::string> metric{
        "m", "m", "km/h", "km/h", "km/h", "m/s", "km", "km", "km", "km", "m", "m", "10 km", "2 km", "0.5 km"};
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

// The CDI scale choices of each system: round numbers in its distance unit
// near 5, 1 and 0.3 nautical miles, and their widths in nautical miles (a
// nautical mile is 1852 m, a statute mile 1609.344 m).
TEST(UnitSystems, CdiScalesReadInTheDistanceUnit)
{
    struct Row {
        char code;
        std::array<const char*, 3> labels;
        std::array<double, 3> nm;
    };
    constexpr double mi = 1609.344 / 1852.0;
    const Row rows[] = {
        {'n', {"5 nm", "1 nm", "0.3 nm"}, {5.0, 1.0, 0.3}},
        {'m', {"10 km", "2 km", "0.5 km"}, {10000 / 1852.0, 2000 / 1852.0, 500 / 1852.0}},
        {'i', {"5 mi", "1 mi", "0.3 mi"}, {5 * mi, 1 * mi, 0.3 * mi}},
        {'s', {"10000 m", "2000 m", "500 m"}, {10000 / 1852.0, 2000 / 1852.0, 500 / 1852.0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        const UnitSystem& system = *UnitSystem::forCode(row.code);
        for (int column = 0; column < 3; ++column) {
            EXPECT_EQ(system.cdiScaleText(column), row.labels[static_cast<size_t>(column)]);
            EXPECT_NEAR(*system.cdiScaleNm(column), row.nm[static_cast<size_t>(column)], 1e-6);
        }
        EXPECT_EQ(system.cdiScaleText(3), "");
        EXPECT_FALSE(system.cdiScaleNm(-1).has_value());
    }
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
