// "navora --headless", the real program, against a real gpsd: what it
// writes is what the GPS window would show.
#include "gps/GpsFake.h"
#include "gps/NmeaLog.h"
#include "support/ProgramRun.h"
#include "support/ScratchDirectory.h"

#include "nav/UtcTime.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace navora::test {
namespace {

using namespace std::chrono_literals;

TEST(Headless, WritesTheGPSWindowAsJsonLinesUntilInterrupted)
{
    if (!GpsFake::available())
        GTEST_SKIP() << "gpsfake is not installed (Debian package gpsd-clients)";
    ScratchDirectory scratch;
    // A long run without a fix first: the feed starts with gpsfake, and the
    // program takes its time to start (more so under a sanitizer).
    const auto epochs = NmeaLog::path(1714564800.7, 48.85, 2.35, 15.0, 90.0, {{1, 80}, {3, 25}});
    const NmeaLog::Epoch& last = epochs.back();
    NmeaLog::write(epochs, scratch.file("headless.nmea").string());
    GpsFake fake(scratch.file("headless.nmea"));
    ASSERT_TRUE(fake.ready());

    ProgramRun run({NAVORA_PROGRAM, "--headless", "--server", "127.0.0.1", "--port", fake.portText(), "--units", "m"},
        scratch.file("stderr.txt"), scratch.path());
    ASSERT_TRUE(run.started());
    ASSERT_TRUE(run.readUntil(R"({"alert":"GPSOffline"})", 60s)) << ProgramRun::fileText(scratch.file("stderr.txt"));
    EXPECT_EQ(run.terminate(10s), 0);

    std::vector<QJsonObject> objects;
    std::vector<std::string> alerts;
    for (const std::string& line : run.lines()) {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line;
        ASSERT_TRUE(document.isObject()) << line;
        objects.push_back(document.object());
        if (objects.back().contains("alert"))
            alerts.push_back(objects.back().value("alert").toString().toStdString());
    }
    ASSERT_FALSE(objects.empty());
    // The unit labels first, in the units asked for.
    EXPECT_EQ(objects.front().value("unitsSpeed").toString(), "km/h");
    EXPECT_EQ(objects.front().value("unitsAltitude").toString(), "m");
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(std::count(alerts.begin(), alerts.end(), "GPSModeUp3D"), 1);
    EXPECT_EQ(alerts.back(), "GPSOffline");

    // The last report with the fix shows the last epoch of the log; the
    // link's reading of it is proven in the gpsfake test.
    const auto lastFix = std::find_if(objects.rbegin(), objects.rend(),
        [](const QJsonObject& o) { return o.value("fixBox.title").toString() == "3D fix"; });
    ASSERT_NE(lastFix, objects.rend());
    EXPECT_NEAR(lastFix->value("fixLatitude").toDouble(), last.latitude, 1e-5);
    EXPECT_NEAR(lastFix->value("fixLongitude").toDouble(), last.longitude, 1e-5);
    const auto second = std::chrono::sys_seconds(std::chrono::seconds(static_cast<long long>(std::floor(last.time))));
    EXPECT_EQ(lastFix->value("fixTimeLocal").toString().toStdString(), UtcTime::iso(second));

    // After the interrupt: the windows close, and the log says goodbye.
    EXPECT_EQ(objects.back().value("window.visible"), QJsonValue(false))
        << QJsonDocument(objects.back()).toJson().toStdString();
    const std::string errors = ProgramRun::fileText(scratch.file("stderr.txt"));
    EXPECT_NE(errors.find("Connected to gpsd.\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find("GPS Controller shutting down\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find("exiting GPS thread\n"), std::string::npos) << errors;
}

TEST(Headless, ExplainsItselfAndRefusesWhatItCannotUse)
{
    ScratchDirectory scratch;
    struct Row {
        std::vector<std::string> arguments;
        int status;
        std::string firstLine;
    };
    const Row rows[] = {
        {{"--headless", "--help"}, 0, "Usage: navora --headless [--server HOST] [--port PORT] [--units n|m|i|s]"},
        {{"--headless", "--port", "123456"}, 2, ""},
        {{"--headless", "--units", "x"}, 2, ""},
        {{"--headless", "--server"}, 2, ""},
        {{"--headless", "--frobnicate"}, 2, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.arguments));
        std::vector<std::string> arguments = {NAVORA_PROGRAM};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        ProgramRun run(arguments, scratch.file("stderr.txt"), scratch.path());
        ASSERT_TRUE(run.started());
        run.readUntil("\x01", 10s); // to the end of the output
        EXPECT_EQ(run.terminate(5s), row.status);
        if (!row.firstLine.empty()) {
            ASSERT_FALSE(run.lines().empty());
            EXPECT_EQ(run.lines().front(), row.firstLine);
        }
    }
}

// Nothing listens: the program says so, keeps trying, and ends only when
// interrupted.
TEST(Headless, WaitsForAnAbsentGpsdUntilInterrupted)
{
    ScratchDirectory scratch;
    ProgramRun run({NAVORA_PROGRAM, "--headless", "--server", "127.0.0.1", "--port", "1"}, scratch.file("stderr.txt"),
        scratch.path());
    ASSERT_TRUE(run.started());
    EXPECT_TRUE(run.readUntil(
        R"({"linkState":"Cannot connect to gpsd at 127.0.0.1:1 (connection refused). Next try in 5 s.")", 10s));
    EXPECT_EQ(run.terminate(5s), 0);
    const std::string errors = ProgramRun::fileText(scratch.file("stderr.txt"));
    EXPECT_NE(errors.find("Unable to open gpsd connection to 127.0.0.1:1 (connection refused) - trying again in 5 s\n"),
        std::string::npos)
        << errors;
}

} // namespace
} // namespace navora::test
