// Fix ingestion: each report into the fix state, "PPOS", the display and the
// mode alerts, driven through a link whose record the tests fill.
#include "gps/ControllerHarness.h"
#include "gps/StubGPSLink.h"

#include "core/NotificationNames.h"
#include "nav/DisplayFields.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>

namespace navora::test {
namespace {

namespace f = navora::fields;
using Colour = DisplayBatch::Colour;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double offline = 0.0;
constexpr double online = 1714564812.0;

class FixIngestion : public testing::Test {
protected:
    void SetUp() override
    {
        auto stub = std::make_unique<StubGPSLink>();
        link = stub.get();
        harness.make(std::move(stub));
        harness.center.addObserver(this, TRVcpUpdated, [this](const NotificationObject& object) {
            ++cpUpdates;
            EXPECT_EQ(object.sender<GPSController>(), harness.controller.get());
        });
        harness.controller->windowDidLoad();
        harness.display->clear();
    }

    void TearDown() override { harness.center.removeObserver(this); }

    GPSController& controller() { return *harness.controller; }

    // One report as gpsd would send it, with a plausible fix for mode 2 or 3.
    void report(int mode, double onlineState = online)
    {
        GPSRecord& r = link->data;
        r.online = onlineState;
        r.fix.mode = mode;
        if (mode >= 2) {
            r.fix.time = 1714564812.7;
            r.fix.latitude = 52.5;
            r.fix.longitude = 13.3;
            r.fix.altitude = 100.0;
            r.fix.speed = 10.0;
            r.fix.track = 45.0;
            r.fix.climb = 1.0;
            r.fix.eph = 10.0;
            r.fix.epv = 20.0;
        } else {
            r.fix = GPSRecord::Fix{};
            r.fix.mode = mode;
        }
        controller().updateGPS(NotificationObject(static_cast<double>(mode)));
    }

    DisplayState shown() const { return harness.display->state(); }

    ControllerHarness harness;
    StubGPSLink* link = nullptr;
    int cpUpdates = 0;
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
        harness.display->clear();
        report(row.mode, row.online);
        const DisplayState s = shown();
        EXPECT_EQ(s.title(f::fixBox), row.title);
        EXPECT_EQ(s.text(f::fixMode), row.modeText);
        EXPECT_EQ(s.colour(f::fixModeColor), row.colour);
        EXPECT_EQ(s.visible(f::gpsDataIndicator), row.indicatorVisible);
        EXPECT_EQ(s.steps(f::gpsDataIndicator), 1);
        EXPECT_EQ(harness.display->batchCount(), 1u) << "one batch per report";
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
        harness.alerts->clear();
        for (const auto& [state, mode] : row.reports)
            report(mode, state);
        EXPECT_EQ(harness.alerts->keys(), row.alerts);
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
    const Row rows[] = {
        {'n', 19.438445, 328.08399, 196.850394, 32.808399, 65.616798},
        {'m', 36.0, 100.0, 1.0, 10.0, 20.0},
        {'i', 22.369363, 328.08399, 196.850394, 32.808399, 65.616798},
        {'s', 10.0, 100.0, 1.0, 10.0, 20.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.units);
        controller().changeUnits(row.units);
        report(3);
        const DisplayState s = shown();
        EXPECT_DOUBLE_EQ(*s.number(f::fixLatitude), 52.5);
        EXPECT_DOUBLE_EQ(*s.number(f::fixLongitude), 13.3);
        EXPECT_NEAR(*s.number(f::fixSpeed), row.speed, 1e-9);
        EXPECT_NEAR(*s.number(f::fixAltitude), row.altitude, 1e-9);
        EXPECT_DOUBLE_EQ(*s.number(f::fixTrack), 45.0);
        EXPECT_NEAR(*s.number(f::fixVSpeed), row.vspeed, 1e-9);
        EXPECT_NEAR(*s.number(f::fixHError), row.herror, 1e-9);
        EXPECT_NEAR(*s.number(f::fixVError), row.verror, 1e-9);
        // The meters take metres whatever the units.
        EXPECT_DOUBLE_EQ(*s.number(f::fixHErrorMeter), 10.0);
        EXPECT_DOUBLE_EQ(*s.number(f::fixVErrorMeter), 20.0);
        const FixState fix = controller().fixState();
        EXPECT_NEAR(fix.spd, row.speed, 1e-9);
        EXPECT_NEAR(fix.alt, row.altitude, 1e-9);
        EXPECT_DOUBLE_EQ(fix.trk, 45.0);
    }
}

TEST_F(FixIngestion, ReportsWithoutAFixKeepTheFixState)
{
    report(3);
    const FixState before = controller().fixState();
    for (const int mode : {1, 0, 7}) {
        report(mode);
        const FixState after = controller().fixState();
        EXPECT_EQ(after.lat, before.lat);
        EXPECT_EQ(after.spd, before.spd);
        EXPECT_EQ(after.fixDate, before.fixDate);
        // ...while the fields are blank.
        EXPECT_EQ(shown().text(f::fixLatitude), "");
    }
    report(3, offline);
    EXPECT_EQ(controller().fixState().lat, before.lat);
}

TEST_F(FixIngestion, ATrackOfExactlyZeroLeavesTheFieldBlank)
{
    link->data.fix.track = 0.0;
    report(2);
    link->data.fix.track = 0.0;
    controller().updateGPS(NotificationObject(2.0));
    EXPECT_EQ(shown().text(f::fixTrack), "");
    EXPECT_DOUBLE_EQ(controller().trk(), 0.0);
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
        GPSRecord& r = link->data;
        r.online = online;
        r.fix.mode = row.mode;
        r.fix.eph = row.eph;
        r.fix.epv = row.epv;
        controller().updateGPS(NotificationObject(static_cast<double>(row.mode)));
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
    EXPECT_EQ(controller().fixDate().time_since_epoch().count(), 1714564812);
    EXPECT_EQ(shown().date(f::fixTimeLocal), controller().fixDate());
}

TEST_F(FixIngestion, CurrentPositionIsCreatedUpdatedInPlaceAndReleased)
{
    LogCapture log;
    report(3);
    const WaypointPtr ppos = controller().currentPos();
    ASSERT_TRUE(ppos);
    EXPECT_EQ(cpUpdates, 1);
    WaypointSnapshot s = ppos->snapshot();
    EXPECT_EQ(s.wpName, "PPOS");
    EXPECT_EQ(s.wpComment, "2024-05-01 12:00:12");
    EXPECT_FLOAT_EQ(s.latitude, 52.5f);
    EXPECT_FLOAT_EQ(s.longitude, 13.3f);
    // Metres, whatever the units shown.
    EXPECT_FLOAT_EQ(s.altitude, 100.0f);

    link->data.fix.time = 1714564813.2;
    link->data.fix.latitude = 52.6;
    controller().updateGPS(NotificationObject(3.0));
    EXPECT_EQ(controller().currentPos(), ppos) << "the same shared waypoint";
    s = ppos->snapshot();
    EXPECT_EQ(s.wpComment, "2024-05-01 12:00:13");
    EXPECT_FLOAT_EQ(s.latitude, 52.6f);
    EXPECT_EQ(cpUpdates, 1);

    // A fix without a time keeps the position as it was.
    link->data.fix.time = nan;
    controller().updateGPS(NotificationObject(2.0));
    EXPECT_EQ(controller().currentPos(), ppos);
    EXPECT_EQ(ppos->snapshot().wpComment, "2024-05-01 12:00:13");

    report(1);
    EXPECT_FALSE(controller().currentPos());
    EXPECT_EQ(cpUpdates, 2);
    EXPECT_EQ(log.count("just lost position - releasing cp"), 1u);
    report(1);
    EXPECT_EQ(cpUpdates, 2);

    // Off line does not release it: only a report without a fix does.
    report(3);
    report(3, offline);
    EXPECT_TRUE(controller().currentPos());
    EXPECT_EQ(cpUpdates, 3);
}

TEST_F(FixIngestion, AFixTimeBeyondAnyCalendarIsLoggedAndIgnored)
{
    LogCapture log;
    GPSRecord& r = link->data;
    r.online = online;
    r.fix.mode = 3;
    r.fix.latitude = 52.5;
    r.fix.longitude = 13.3;
    for (const double time : {1e300, 253402300800.0}) {
        r.fix.time = time;
        controller().updateGPS(NotificationObject(3.0));
    }
    EXPECT_FALSE(controller().currentPos());
    const std::vector<std::string> lines = log.lines();
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(),
            [](const std::string& line) { return line.starts_with("Ignoring a fix time beyond the year 9999: "); }),
        2);
}

TEST_F(FixIngestion, SatelliteMatrixShowsTwelveAndHighlightsUsedOnes)
{
    GPSRecord& r = link->data;
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
    controller().setMnOn(true);
    link->data.satellites = 2;
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
    EXPECT_TRUE(controller().currentPos());
}

TEST_F(FixIngestion, ClearFixFieldsBlanksTheFixAndNavigationFields)
{
    report(3);
    harness.display->clear();
    controller().clearFixFields();
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
    EXPECT_EQ(harness.display->batchCount(), 1u);
}

TEST_F(FixIngestion, ModeZeroAsksAgainOncePerQuietInterval)
{
    link->queries.clear();
    report(0);
    report(0);
    report(0, offline);
    EXPECT_EQ(link->queries, std::vector<std::string>{"omyx\n"});
    std::this_thread::sleep_for(ControllerHarness::fastTimings().quietWait);
    report(0);
    report(1);
    EXPECT_EQ(link->queries, (std::vector<std::string>{"omyx\n", "omyx\n"}));
}

} // namespace
} // namespace navora::test
