// The GPS controller against a real gpsd: gpsfake replays NMEA logs written
// by the test, and what the controller shows is compared with the log.
#include "gps/GpsFake.h"
#include "gps/ControllerHarness.h"
#include "gps/LinkTestSupport.h"
#include "gps/NmeaLog.h"
#include "support/Eventually.h"
#include "support/ScratchDirectory.h"

#include "core/NotificationNames.h"
#include "core/SettingsKeys.h"
#include "nav/DisplayFields.h"
#include "nav/UnitSystem.h"
#include "nav/UtcTime.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace navora::test {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;
namespace f = navora::fields;

constexpr double metresPerSecondPerKnot = 1852.0 / 3600.0;
// Fix times with a fraction, which the display drops.
constexpr double startTime = 1714564800.7;

std::chrono::sys_seconds wholeSecond(double time)
{
    return std::chrono::sys_seconds(std::chrono::seconds(static_cast<long long>(std::floor(time))));
}

class Gpsfake : public testing::Test {
protected:
    void SetUp() override
    {
        if (!GpsFake::available())
            GTEST_SKIP() << "gpsfake is not installed (Debian package gpsd-clients)";
    }

    std::unique_ptr<GpsFake> replay(const std::vector<NmeaLog::Epoch>& epochs, const std::string& name)
    {
        const auto file = scratch.file(name);
        NmeaLog::write(epochs, file.string());
        auto fake = std::make_unique<GpsFake>(file);
        EXPECT_TRUE(fake->ready()) << "gpsfake did not start";
        return fake;
    }

    GPSController& connect(const GpsFake& fake, GPSTimings timings = ControllerHarness::fastTimings())
    {
        harness.settings.setString(TRVgpsdServerKey, "127.0.0.1");
        harness.settings.setString(TRVgpsdPortKey, fake.portText());
        GPSController& controller = harness.make(fastLink(), timings);
        controller.windowDidLoad();
        EXPECT_TRUE(controller.running());
        EXPECT_EQ(dynamic_cast<GpsdLink&>(controller.gps1()).protocol(), GpsdLink::Protocol::Json);
        return controller;
    }

    size_t alertCount(const std::string& key) const
    {
        const Strings keys = harness.alerts->keys();
        return static_cast<size_t>(std::count(keys.begin(), keys.end(), key));
    }

    // The display as it was after the last batch that showed this title.
    DisplayState shownAtLast(std::string_view title) const
    {
        const std::vector<DisplayBatch> batches = harness.display->batches();
        size_t last = batches.size();
        for (size_t i = 0; i < batches.size(); ++i) {
            for (const DisplayBatch::Write& write : batches[i].writes()) {
                if (write.kind == DisplayBatch::Kind::BoxTitle && write.text == title)
                    last = i;
            }
        }
        DisplayState state;
        for (size_t i = 0; i < batches.size() && i <= last && last < batches.size(); ++i)
            state.apply(batches[i]);
        return state;
    }

    ScratchDirectory scratch;
    LogCapture log;
    ControllerHarness harness;
};

class GpsfakeUnits : public Gpsfake, public testing::WithParamInterface<char> { };

TEST_P(GpsfakeUnits, FixStateCurrentPositionAndDisplayFollowTheLog)
{
    const char units = GetParam();
    const UnitSystem& system = *UnitSystem::forCode(units);
    const auto epochs = NmeaLog::path(startTime, 52.5, 13.3, 12.0, 45.0, {{1, 15}, {3, 25}});
    const NmeaLog::Epoch& last = epochs.back();
    auto fake = replay(epochs, "units.nmea");
    harness.settings.setInteger(TRVUnitsKey, units);
    GPSController& controller = connect(*fake);

    // The end of the feed: gpsd closes the device.
    ASSERT_TRUE(eventually([&] { return alertCount("GPSOffline") == 1; }, 60s))
        << testing::PrintToString(harness.alerts->keys());
    EXPECT_EQ(alertCount("GPSModeUp3D"), 1u);

    const FixState fix = controller.fixState();
    EXPECT_NEAR(fix.lat, last.latitude, 1e-5);
    EXPECT_NEAR(fix.lon, last.longitude, 1e-5);
    EXPECT_NEAR(fix.alt, last.altitude * system.altconv, 1e-6 * fix.alt);
    EXPECT_NEAR(fix.spd, last.speedKnots * metresPerSecondPerKnot * system.spdconv, 1e-3 * fix.spd);
    EXPECT_NEAR(fix.trk, last.track, 1e-6);
    EXPECT_EQ(fix.fixDate, wholeSecond(last.time));

    // Off line keeps the last position; its altitude is in metres.
    const WaypointPtr ppos = controller.currentPos();
    ASSERT_TRUE(ppos);
    const WaypointSnapshot p = ppos->snapshot();
    EXPECT_EQ(p.wpName, "PPOS");
    EXPECT_EQ(p.wpComment, UtcTime::text(wholeSecond(last.time)));
    EXPECT_NEAR(p.latitude, last.latitude, 1e-5);
    EXPECT_NEAR(p.longitude, last.longitude, 1e-5);
    EXPECT_NEAR(p.altitude, last.altitude, 1e-3);

    const DisplayState fixShown = shownAtLast("3D fix");
    EXPECT_EQ(fixShown.text(f::fixMode), "3D fix");
    EXPECT_EQ(fixShown.colour(f::fixModeColor), DisplayBatch::Colour::Green);
    EXPECT_NEAR(*fixShown.number(f::fixLatitude), last.latitude, 1e-5);
    EXPECT_NEAR(*fixShown.number(f::fixLongitude), last.longitude, 1e-5);
    EXPECT_NEAR(*fixShown.number(f::fixAltitude), fix.alt, 1e-9);
    EXPECT_NEAR(*fixShown.number(f::fixSpeed), fix.spd, 1e-9);
    EXPECT_NEAR(*fixShown.number(f::fixTrack), 45.0, 1e-6);
    EXPECT_EQ(fixShown.text(f::fixTime), p.wpComment);
    EXPECT_EQ(fixShown.date(f::fixTimeLocal), wholeSecond(last.time));
    EXPECT_EQ(fixShown.visible(f::fixHError), true);
    EXPECT_EQ(fixShown.visible(f::fixVError), true);
    EXPECT_NEAR(*fixShown.number(f::fixHError), *fixShown.number(f::fixHErrorMeter) * system.errconv, 1e-9);
    EXPECT_EQ(fixShown.text(f::unitsSpeed), std::string(system.spd_units));
    // Fourteen in view, twelve shown; the twelve used ones are odd PRNs 1 to 23.
    EXPECT_EQ(fixShown.columns(f::satsInView), 12);
    for (int column = 0; column < 12; ++column) {
        const auto prn = fixShown.cell(f::satsInView, 0, column);
        const auto strength = fixShown.cell(f::satsInView, 1, column);
        ASSERT_TRUE(prn && strength);
        const int number = std::stoi(prn->text);
        EXPECT_EQ(prn->highlighted, number <= 23) << number;
        EXPECT_EQ(strength->highlighted, prn->highlighted);
        EXPECT_EQ(std::stoi(strength->text), 20 + (number - 1) / 2) << number;
    }

    const DisplayState offline = shownAtLast("GPS OFFLINE");
    EXPECT_EQ(offline.visible(f::gpsDataIndicator), false);
    EXPECT_EQ(offline.text(f::fixLatitude), "");
    EXPECT_EQ(offline.columns(f::satsInView), 1);
}

// One system with factors other than 1: the conversions themselves are the
// engine's, tested there.
INSTANTIATE_TEST_SUITE_P(MetricUnits, GpsfakeUnits, testing::Values('m'),
    [](const testing::TestParamInfo<char>& parameter) { return std::string(1, parameter.param); });

TEST_F(Gpsfake, ModeChangesRaiseTheRightAlertsOnce)
{
    const auto epochs = NmeaLog::path(startTime, 52.5, 13.3, 12.0, 45.0, {{1, 25}, {2, 10}, {3, 10}, {2, 10}, {1, 8}});
    auto fake = replay(epochs, "modes.nmea");
    GPSController& controller = connect(*fake);
    ASSERT_TRUE(eventually([&] { return alertCount("GPSOffline") == 1; }, 60s))
        << testing::PrintToString(harness.alerts->keys());
    EXPECT_EQ(harness.alerts->keys(),
        (Strings{"GPSOnline", "GPSModeUp2D", "GPSModeUp3D", "TRVGPSModeDown2D", "GPSModeDown0D", "GPSOffline"}));
    // The fix was lost before the receiver went: "PPOS" went with it.
    EXPECT_EQ(log.count("just lost position - releasing cp"), 1u);
    EXPECT_FALSE(controller.currentPos());
    // The last fix was the last 2D epoch, whose altitude gpsd does not know.
    const NmeaLog::Epoch& last2D = epochs[epochs.size() - 9];
    EXPECT_NEAR(controller.lat(), last2D.latitude, 1e-5);
    EXPECT_EQ(controller.fixDate(), wholeSecond(last2D.time));
    EXPECT_EQ(shownAtLast("2D fix").visible(f::fixVError), false);
}

TEST_F(Gpsfake, AServerChangeMovesToTheOtherGpsd)
{
    auto north = replay(NmeaLog::path(startTime, 52.5, 13.3, 12.0, 45.0, {{3, 400}}), "north.nmea");
    auto south = replay(NmeaLog::path(startTime, -33.9, 151.2, 12.0, 45.0, {{3, 400}}), "south.nmea");
    // The protocol's own timings.
    GPSController& controller = connect(*north, GPSTimings{});
    ASSERT_TRUE(eventually([&] { return controller.currentPos() && controller.lat() > 52.0; }, 30s));

    harness.settings.setString(TRVgpsdPortKey, south->portText());
    harness.center.post(TRVServerPortChanged);
    ASSERT_TRUE(eventually([&] { return controller.currentPos() && controller.lat() < -33.0; }, 30s));
    Strings lines
        = linesFrom(log.lines(), "Change of server received - closing gpsd connection (should reopen automatically)");
    lines.resize(std::min<size_t>(lines.size(), 5));
    EXPECT_EQ(lines,
        (Strings{"Change of server received - closing gpsd connection (should reopen automatically)",
            "gps: socket error", "Attempting to reopen gpsd connection...",
            "Connecting to gpsd server 127.0.0.1, port " + south->portText() + "...", "Connection re-established"}));

    const auto stopped = std::chrono::steady_clock::now();
    controller.stopAll();
    ASSERT_TRUE(eventually([&] { return log.contains("exiting GPS thread"); }, 7s));
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, 6s);
    harness.destroy();
}

} // namespace
} // namespace navora::test
