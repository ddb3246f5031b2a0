// The GPS controller against a real gpsd: gpsfake replays NMEA logs written
// by the test, and what the controller shows is compared with the log.
#include "gps/GpsFake.h"
#include "gps/ControllerHarness.h"
#include "gps/LinkTestSupport.h"
#include "gps/NmeaLog.h"
#include "support/Eventually.h"
#include "support/ProgramRun.h"
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
#include <mutex>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

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

    std::unique_ptr<GpsFake> replay(const std::vector<NmeaLog::Epoch>& epochs, const std::string& name, int port = 0,
        NmeaLog::Order order = NmeaLog::Order::RmcFirst)
    {
        const auto file = scratch.file(name);
        NmeaLog::write(epochs, file.string(), order);
        auto fake = std::make_unique<GpsFake>(file, 0.01, port);
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
        EXPECT_TRUE(eventually([&] { return controller.connected(); }));
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

// The JSON link against a real gpsd, in one unit system with factors other
// than 1; the conversions, alerts and display writes are the engine's,
// tested there.
TEST_F(Gpsfake, FixStateCurrentPositionAndDisplayFollowTheLog)
{
    const UnitSystem& system = *UnitSystem::forCode('m');
    const auto epochs = NmeaLog::path(startTime, 52.5, 13.3, 12.0, 45.0, {{1, 15}, {3, 25}});
    const NmeaLog::Epoch& last = epochs.back();
    auto fake = replay(epochs, "units.nmea");
    harness.settings.setInteger(TRVUnitsKey, 'm');
    GPSController& controller = connect(*fake);

    // The end of the feed: gpsd closes the device.
    ASSERT_TRUE(eventually([&] { return alertCount("GPSOffline") == 1; }, 60s))
        << testing::PrintToString(harness.alerts->keys());
    EXPECT_EQ(alertCount("GPSModeUp3D"), 1u);
    EXPECT_TRUE(
        eventually([&] { return harness.display->state().text(f::linkState) == "The receiver is off line."; }, 5s));

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
    EXPECT_EQ(p.wpComment, UtcTime::text(wholeSecond(last.time)));
    EXPECT_NEAR(p.latitude, last.latitude, 1e-5);
    EXPECT_NEAR(p.altitude, last.altitude, 1e-3);

    // gpsd's sky report arrives: fourteen in view, twelve shown.
    EXPECT_EQ(shownAtLast("3D fix").columns(f::satsInView), 12);
    EXPECT_EQ(shownAtLast("GPS OFFLINE").columns(f::satsInView), 1);
}

// Receivers write their sentences in different orders, and gpsd sends a
// report after each: whatever the order, each phase change raises exactly
// one alert, the box never shows "3D fix" in a 2D phase, and the track and
// velocity made good never blank while the receiver moves steadily.
TEST_F(Gpsfake, EachPhaseChangeRaisesOneAlertWhateverTheSentenceOrder)
{
    const struct {
        const char* name;
        NmeaLog::Order order;
    } receivers[] = {{"RMC first", NmeaLog::Order::RmcFirst}, {"GGA first", NmeaLog::Order::GgaFirst},
        {"GSA first", NmeaLog::Order::GsaFirst}};
    for (const auto& receiver : receivers) {
        SCOPED_TRACE(receiver.name);
        harness.destroy();
        const auto epochs = NmeaLog::path(startTime, 52.5, 13.3, 12.0, 45.0, {{1, 60}, {2, 8}, {3, 8}, {2, 8}, {1, 4}});
        auto fake = replay(epochs, std::string(receiver.name) + ".nmea", 0, receiver.order);
        GPSController& controller = connect(*fake);
        ASSERT_TRUE(eventually([&] { return alertCount("GPSOffline") == 1; }, 60s))
            << testing::PrintToString(harness.alerts->keys());
        EXPECT_EQ(harness.alerts->keys(),
            (Strings{"GPSOnline", "GPSModeUp2D", "GPSModeUp3D", "TRVGPSModeDown2D", "GPSModeDown0D", "GPSOffline"}));
        // The box titles in the order shown, repeats folded.
        Strings titles;
        bool trackBlankWhileMoving = false;
        DisplayState state;
        for (const DisplayBatch& batch : harness.display->batches()) {
            state.apply(batch);
            const std::string title = state.title(f::fixBox).value_or("");
            if (!title.empty() && (titles.empty() || titles.back() != title))
                titles.push_back(title);
            const bool fix = title == "2D fix" || title == "3D fix";
            if (fix && !std::isfinite(state.number(f::fixTrack).value_or(std::nan(""))))
                trackBlankWhileMoving = true;
        }
        // From the receiver's first report to gpsd closing it at the end.
        const auto first = std::find(titles.begin(), titles.end(), "No GPS fix...");
        const auto closed = std::find(first, titles.end(), "GPS OFFLINE");
        EXPECT_EQ(Strings(first, closed == titles.end() ? closed : closed + 1),
            (Strings{"No GPS fix...", "2D fix", "3D fix", "2D fix", "No GPS fix...", "GPS OFFLINE"}));
        EXPECT_FALSE(trackBlankWhileMoving);
        controller.stopAll();
    }
}

// A receiver that stops writing while its device stays open: gpsd keeps the
// device listed and answers status queries with the last fix, yet the
// receiver goes off line within the stale bound.
TEST_F(Gpsfake, AReceiverSilentWithItsDeviceOpenGoesOffLine)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string device = ::ptsname(master);
    const int port = unusedPort();
    ProgramRun gpsd(
        {"/usr/sbin/gpsd", "-N", "-n", "-S", std::to_string(port), device}, scratch.file("gpsd.txt"), scratch.path());
    ASSERT_TRUE(gpsd.started());
    ASSERT_TRUE(eventually([&] { return GpsFake::answers(port); }, 10s));
    harness.settings.setString(TRVgpsdServerKey, "127.0.0.1");
    harness.settings.setString(TRVgpsdPortKey, std::to_string(port));
    GPSController& controller = harness.make(fastLink());
    controller.windowDidLoad();
    ASSERT_TRUE(eventually([&] { return controller.connected(); }));

    // Five epochs a fifth of a second apart, then nothing.
    const auto epochs = NmeaLog::path(startTime, 52.5, 13.3, 12.0, 45.0, {{3, 15}});
    std::chrono::steady_clock::time_point lastWritten;
    for (const NmeaLog::Epoch& epoch : epochs) {
        const auto file = scratch.file("epoch.nmea");
        NmeaLog::write({epoch}, file.string());
        const std::string text = ProgramRun::fileText(file);
        ASSERT_EQ(::write(master, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        lastWritten = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(200ms);
    }
    ASSERT_TRUE(eventually([&] { return controller.currentPos() != nullptr; }, 5s))
        << ProgramRun::fileText(scratch.file("gpsd.txt"));
    ASSERT_TRUE(eventually([&] { return alertCount("GPSOffline") == 1; }, 15s))
        << testing::PrintToString(harness.alerts->keys());
    const auto offLineAfter = std::chrono::steady_clock::now() - lastWritten;
    EXPECT_GE(offLineAfter, 5s);
    EXPECT_LT(offLineAfter, 8s);
    EXPECT_EQ(harness.display->state().title(f::fixBox), "GPS OFFLINE");
    EXPECT_FALSE(controller.currentPos());
    EXPECT_TRUE(log.contains("GPS receiver off line: no report from the receiver for 5 s")
        || log.contains("GPS receiver off line: no report from the receiver for 6 s"));
    controller.stopAll();
    harness.destroy();
    ::close(master);
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
            "gps: socket error: closed for the change of server", "Attempting to reopen gpsd connection...",
            "Connecting to gpsd server 127.0.0.1, port " + south->portText() + "...", "Connection re-established"}));
}

// gpsd killed in the middle of a drive, and a new one started a while
// later on the same port: the link finds its way back by itself, after
// attempts at growing intervals, and the window follows the new gpsd.
TEST_F(Gpsfake, AKilledGpsdIsFoundAgainWhenANewOneStarts)
{
    // Log lines with the time they were written, for the intervals.
    std::mutex timedMutex;
    std::vector<std::pair<std::chrono::steady_clock::time_point, std::string>> timed;
    struct SinkGuard {
        Log::Sink previous;
        ~SinkGuard() { Log::setSink(previous); }
    } guard{Log::setSink([&](std::string_view line) {
        std::lock_guard lock(timedMutex);
        timed.emplace_back(std::chrono::steady_clock::now(), std::string(line));
    })};
    auto north = replay(NmeaLog::path(startTime, 52.5, 13.3, 12.0, 45.0, {{3, 400}}), "before.nmea");
    const int port = north->port();
    GPSTimings timings = ControllerHarness::fastTimings();
    timings.retryFirst = 500ms;
    timings.retryMax = 1s;
    GPSController& controller = connect(*north, timings);
    const std::string receiving = "Receiving fixes from gpsd at 127.0.0.1:" + north->portText() + ".";
    ASSERT_TRUE(eventually([&] { return controller.currentPos() && controller.lat() > 52.0; }, 30s));
    EXPECT_EQ(harness.display->state().text(fields::linkState), receiving);

    const auto killed = std::chrono::steady_clock::now();
    north.reset();
    const std::string refused = "Unable to open gpsd connection to 127.0.0.1:" + std::to_string(port)
        + " (connection refused) - trying again in ";
    auto attempts = [&] {
        std::lock_guard lock(timedMutex);
        return std::count_if(
            timed.begin(), timed.end(), [&](const auto& entry) { return entry.second.rfind(refused, 0) == 0; });
    };
    ASSERT_TRUE(eventually([&] { return attempts() >= 3; }, 10s));
    EXPECT_FALSE(controller.connected());
    // Between attempts (during one it says it is connecting).
    const std::string cannot
        = "Cannot connect to gpsd at 127.0.0.1:" + std::to_string(port) + " (connection refused). Next try in 1 s.";
    EXPECT_TRUE(eventually([&] { return harness.display->state().text(fields::linkState) == cannot; }, 5s))
        << harness.display->state().text(fields::linkState).value_or("(none)");

    auto south = replay(NmeaLog::path(startTime, -33.9, 151.2, 12.0, 45.0, {{3, 400}}), "after.nmea", port);
    ASSERT_TRUE(south->ready());
    ASSERT_TRUE(eventually([&] { return controller.currentPos() && controller.lat() < -33.0; }, 30s));
    EXPECT_TRUE(eventually([&] { return harness.display->state().text(fields::linkState) == receiving; }));
    std::lock_guard lock(timedMutex);

    std::vector<std::string> lines;
    std::vector<std::chrono::steady_clock::time_point> when;
    for (const auto& [time, line] : timed) {
        // The receiver going off line with the link is another test's.
        if (line.rfind("GPS receiver off line", 0) == 0 || line == "just lost position - releasing cp")
            continue;
        if (time >= killed) {
            lines.push_back(line);
            when.push_back(time);
        }
    }
    const auto reopened = std::find(lines.begin(), lines.end(), "Connection re-established");
    ASSERT_NE(reopened, lines.end());
    lines.erase(reopened + 1, lines.end());
    ASSERT_GE(lines.size(), 7u) << testing::PrintToString(lines);
    // The end of the connection, its one reopen, then the attempts: 0.5 s,
    // then 1 s each (the bound), until the new gpsd answers.
    EXPECT_EQ(lines[0].rfind("gps: socket error: ", 0), 0u) << lines[0];
    EXPECT_EQ(Strings(lines.begin() + 1, lines.begin() + 6),
        (Strings{"Attempting to reopen gpsd connection...",
            "Connecting to gpsd server 127.0.0.1, port " + std::to_string(port) + "...",
            "Unable to open gpsd connection.", refused + "0.5 s", refused + "1 s"}));
    for (size_t i = 6; i + 1 < lines.size(); ++i)
        EXPECT_EQ(lines[i], refused + "1 s") << i;
    const auto gap = [&](size_t from, size_t to) { return when[to] - when[from]; };
    // Each attempt's line is written as its wait begins.
    EXPECT_GE(gap(4, 5), 450ms);
    EXPECT_LT(gap(4, 5), 900ms);
    EXPECT_GE(gap(5, 6), 950ms);
    EXPECT_LT(gap(5, 6), 1500ms);
}

} // namespace
} // namespace navora::test
