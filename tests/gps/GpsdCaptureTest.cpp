// Real receivers, through a real gpsd: three captures from gpsd's own
// regression suite (tests/gps/captures) replayed by gpsfake, and what Navora
// shows at the end compared field by field with the reports gpsd 3.22
// itself produces from the same log.
#include "gps/ControllerHarness.h"
#include "gps/GpsFake.h"
#include "gps/LinkTestSupport.h"
#include "support/Eventually.h"
#include "support/LogCapture.h"
#include "support/ScratchDirectory.h"

#include "core/SettingsKeys.h"
#include "nav/DisplayFields.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace navora::test {
namespace {

using namespace std::chrono_literals;
namespace f = navora::fields;

const std::filesystem::path captures = NAVORA_CAPTURES_DIR;

// gpsd's last epoch in its own reports: every TPV of the last fix time, a
// later report's value over an earlier one's.
std::map<std::string, double> lastEpochOf(const std::filesystem::path& checkFile)
{
    std::ifstream in(checkFile);
    std::string line;
    std::map<std::string, double> epoch;
    QString epochTime;
    while (std::getline(in, line)) {
        const QJsonObject report = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        if (report.value("class").toString() != "TPV" || report.value("mode").toInt() < 2)
            continue;
        const QString time = report.value("time").toString();
        if (time != epochTime) {
            epoch.clear();
            epochTime = time;
            epoch["time"] = static_cast<double>(QDateTime::fromString(time, Qt::ISODateWithMs).toSecsSinceEpoch());
        }
        for (const char* key : {"lat", "lon", "altMSL", "speed", "track"})
            if (report.contains(key))
                epoch[key] = report.value(key).toDouble();
    }
    return epoch;
}

class GpsdCapture : public testing::TestWithParam<const char*> { };

TEST_P(GpsdCapture, TheLastFixShowsAsGpsdReportsIt)
{
    if (!GpsFake::available())
        GTEST_SKIP() << "gpsfake is not installed (Debian package gpsd-clients)";
    const std::string name = GetParam();
    ScratchDirectory scratch;
    // gpsfake writes its own log beside the one it replays.
    std::filesystem::copy_file(captures / (name + ".log"), scratch.file(name + ".log"));
    const std::map<std::string, double> expected = lastEpochOf(captures / (name + ".log.chk"));
    ASSERT_TRUE(expected.count("lat")) << "no fix in gpsd's own reports";

    // Slow enough that the link is up well before the log ends.
    GpsFake fake(scratch.file(name + ".log"), 0.05);
    ASSERT_TRUE(fake.ready());
    LogCapture log;
    ControllerHarness harness;
    harness.settings.setString(TRVgpsdServerKey, "127.0.0.1");
    harness.settings.setString(TRVgpsdPortKey, fake.portText());
    harness.settings.setInteger(TRVUnitsKey, 's'); // metres and metres per second, as gpsd's
    GPSController& controller = harness.make(fastLink());
    controller.windowDidLoad();
    // The end of the log: gpsd closes the device.
    ASSERT_TRUE(eventually(
        [&] {
            const auto keys = harness.alerts->keys();
            return std::find(keys.begin(), keys.end(), "GPSOffline") != keys.end();
        },
        60s))
        << testing::PrintToString(harness.alerts->keys());

    const FixState fix = controller.fixState();
    EXPECT_EQ(fix.fixDate.time_since_epoch().count(), static_cast<long long>(expected.at("time")));
    EXPECT_NEAR(fix.lat, expected.at("lat"), 1e-9);
    EXPECT_NEAR(fix.lon, expected.at("lon"), 1e-9);
    if (expected.count("altMSL")) {
        EXPECT_NEAR(fix.alt, expected.at("altMSL"), 1e-6);
    }
    if (expected.count("speed")) {
        EXPECT_NEAR(fix.spd, expected.at("speed"), 1e-6);
    }
    if (expected.count("track")) {
        EXPECT_NEAR(fix.trk, expected.at("track"), 1e-6);
    }
    // The mode alerts: one per change, no flicker between two modes.
    const auto keys = harness.alerts->keys();
    for (size_t i = 2; i < keys.size(); ++i)
        EXPECT_FALSE(keys[i] == keys[i - 2] && keys[i] != keys[i - 1] && keys[i] != "GPSOffline")
            << testing::PrintToString(keys);
    controller.stopAll();
    harness.destroy();
}

INSTANTIATE_TEST_SUITE_P(Receivers, GpsdCapture, testing::Values("haicom-305N", "et-332", "ch-4711"));

} // namespace
} // namespace navora::test
