// The GPS controller against a real gpsd run by gpsfake: three captures of
// gpsd's own regression suite, the last fix compared field by field with the
// reports gpsd 3.22 makes of them; and a gpsd killed and started again.
#include "gps/GpsFake.h"
#include "gps/ControllerHarness.h"
#include "gps/ScriptedServer.h"
#include "nav/RouteDrive.h"
#include "support/Eventually.h"
#include "support/LogCapture.h"
#include "support/ScratchDirectory.h"

#include "core/NotificationNames.h"
#include "core/SettingsKeys.h"
#include "nav/DisplayFields.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

namespace navora::test {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

const std::filesystem::path captures = NAVORA_CAPTURES_DIR;

// gpsd's last epoch in its own reports: the TPVs of the last fix time, later
// values over earlier ones.
std::map<std::string, double> lastEpochOf(const std::filesystem::path& checkFile)
{
    std::ifstream in(checkFile);
    std::map<std::string, double> epoch;
    QString epochTime;
    for (std::string line; std::getline(in, line);) {
        const QJsonObject report = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        if (report.value("class").toString() != "TPV" || report.value("mode").toInt() < 2)
            continue;
        if (const QString time = report.value("time").toString(); time != epochTime) {
            epoch = {{"time", double(QDateTime::fromString(time, Qt::ISODateWithMs).toSecsSinceEpoch())}};
            epochTime = time;
        }
        for (const char* key : {"lat", "lon", "altMSL", "speed", "track"})
            if (report.contains(key))
                epoch[key] = report.value(key).toDouble();
    }
    return epoch;
}

class Gpsfake : public testing::Test {
protected:
    void SetUp() override
    {
        if (!GpsFake::available())
            GTEST_SKIP() << "gpsfake is not installed (Debian package gpsd-clients)";
    }

    GPSController& connect(const GpsFake& fake, GPSTimings timings = ControllerHarness::fastTimings())
    {
        harness.settings.setString(TRVgpsdServerKey, "127.0.0.1");
        harness.settings.setString(TRVgpsdPortKey, fake.portText());
        GPSController& controller = harness.make(fastLink(), timings);
        controller.windowDidLoad();
        return controller;
    }

    std::unique_ptr<GpsFake> replay(double latitude, double longitude, const std::string& name, int port = 0)
    {
        RouteDrive drive(1714564800.7, latitude, longitude);
        drive.driveOn(45.0, 12.0, 400);
        NmeaLog::write(drive.epochs(), scratch.file(name).string());
        auto fake = std::make_unique<GpsFake>(scratch.file(name), 0.01, port);
        EXPECT_TRUE(fake->ready()) << "gpsfake did not start";
        return fake;
    }
    std::string linkState() const { return harness.display->state().text(fields::linkState).value_or("(none)"); }

    ScratchDirectory scratch;
    LogCapture log;
    ControllerHarness harness;
};

class GpsdCapture : public Gpsfake, public testing::WithParamInterface<const char*> { };

TEST_P(GpsdCapture, TheLastFixShowsAsGpsdReportsIt)
{
    const std::string name = GetParam();
    // gpsfake writes its own log beside the one it replays.
    std::filesystem::copy_file(captures / (name + ".log"), scratch.file(name + ".log"));
    const std::map<std::string, double> expected = lastEpochOf(captures / (name + ".log.chk"));
    ASSERT_TRUE(expected.count("lat")) << "no fix in gpsd's own reports";
    // Slow enough that the link is up well before the log ends.
    GpsFake fake(scratch.file(name + ".log"), 0.05);
    ASSERT_TRUE(fake.ready());
    harness.settings.setInteger(TRVUnitsKey, 's'); // metres and metres per second, as gpsd's
    GPSController& controller = connect(fake);
    // The end of the log: gpsd closes the device.
    ASSERT_TRUE(eventually([&] { return std::ranges::count(harness.alerts->keys(), std::string("GPSOffline")); }, 60s))
        << testing::PrintToString(harness.alerts->keys());
    EXPECT_EQ(dynamic_cast<GpsdLink&>(controller.gps1()).protocol(), GpsdLink::Protocol::Json);

    const FixState fix = controller.fixState();
    const std::map<std::string, double> shown = {{"time", double(fix.fixDate.time_since_epoch().count())},
        {"lat", fix.lat}, {"lon", fix.lon}, {"altMSL", fix.alt}, {"speed", fix.spd}, {"track", fix.trk}};
    for (const auto& [key, value] : expected)
        EXPECT_NEAR(shown.at(key), value, key == "lat" || key == "lon" ? 1e-9 : 1e-6) << key;
    // The mode alerts: one per change, no flicker between two modes.
    const Strings alerts = harness.alerts->keys();
    for (size_t i = 2; i < alerts.size(); ++i)
        EXPECT_FALSE(alerts[i] == alerts[i - 2] && alerts[i] != alerts[i - 1] && alerts[i] != "GPSOffline")
            << testing::PrintToString(alerts);
}

INSTANTIATE_TEST_SUITE_P(Receivers, GpsdCapture, testing::Values("haicom-305N", "et-332", "ch-4711"));

// gpsd killed in the middle of a drive and a new one started on the same
// port: the link finds its way back by itself, and the window follows.
TEST_F(Gpsfake, AKilledGpsdIsFoundAgainWhenANewOneStarts)
{
    auto north = replay(52.5, 13.3, "before.nmea");
    const int port = north->port();
    GPSTimings timings = ControllerHarness::fastTimings();
    timings.retryFirst = 500ms;
    timings.retryMax = 1s;
    GPSController& controller = connect(*north, timings);
    const std::string receiving = "Receiving fixes from gpsd at 127.0.0.1:" + north->portText() + ".";
    ASSERT_TRUE(eventually([&] { return controller.currentPos() && controller.lat() > 52.0; }, 30s));
    // The display's batch reaches the window after the controller holds the fix.
    EXPECT_TRUE(eventually([&] { return linkState() == receiving; })) << linkState();

    north.reset();
    const std::string refused = "Unable to open gpsd connection to 127.0.0.1:" + std::to_string(port)
        + " (connection refused) - trying again in ";
    ASSERT_TRUE(eventually([&] { return log.count(refused + "1 s") >= 2; }, 10s));
    EXPECT_FALSE(controller.connected());
    const std::string cannot
        = "Cannot connect to gpsd at 127.0.0.1:" + std::to_string(port) + " (connection refused). Next try in 1 s.";
    EXPECT_TRUE(eventually([&] { return linkState() == cannot; }, 5s)) << linkState();

    auto south = replay(-33.9, 151.2, "after.nmea", port);
    ASSERT_TRUE(eventually([&] { return controller.currentPos() && controller.lat() < -33.0; }, 30s));
    EXPECT_TRUE(eventually([&] { return linkState() == receiving; })) << linkState();
    EXPECT_EQ(log.count("Connection re-established"), 1u);
}

} // namespace
} // namespace navora::test
