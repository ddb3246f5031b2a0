// The desktop program end to end on its own Xvfb and session bus, against
// gpsfake: the windows read from the snapshots SIGUSR1 writes (kept, with
// standard error, in the build folder's e2e-output/desktop-drive).
#include "gps/GpsFake.h"
#include "model/DocumentArchive.h"
#include "model/TrackFile.h"
#include "nav/EngineHarness.h"
#include "nav/NavGeometry.h"
#include "nav/RouteDrive.h"
#include "support/Eventually.h"
#include "support/ProgramRun.h"
#include "support/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace navora::test {
namespace {

using namespace std::chrono_literals;

using Point = NavGeometry::Point;

QJsonObject fieldsOf(const std::filesystem::path& file)
{
    QFile json(QString::fromStdString(file.string()));
    if (!json.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(json.readAll()).object();
}

// How often a line stands in the program's standard error (a file).
size_t countIn(const std::filesystem::path& errors, const std::string& line)
{
    std::istringstream lines(ProgramRun::fileText(errors));
    size_t count = 0;
    for (std::string each; std::getline(lines, each);)
        count += each == line;
    return count;
}

bool picture(const std::filesystem::path& folder, const std::string& name)
{
    return !QImage(QString::fromStdString((folder / name).string())).isNull();
}

TEST(DesktopDrive, FollowsAThreeLegRouteInItsWindows)
{
    ScratchDirectory scratch;
    if (!GpsFake::available() || !ProgramRun::installed("Xvfb") || !ProgramRun::installed("dbus-daemon"))
        GTEST_SKIP() << "needs gpsfake (gpsd-clients), Xvfb (xvfb) and dbus-daemon (dbus)";
    // -displayfd: Xvfb picks a free display and names it once it is ready.
    ProgramRun xServer(
        std::vector<std::string>{"Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"},
        "/dev/null", std::vector<std::string>{});
    const std::optional<std::string> display = xServer.readLine(30s);
    ASSERT_TRUE(display) << "Xvfb did not start";
    ProgramRun bus(std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--print-address=1"}, "/dev/null",
        std::vector<std::string>{});
    const std::optional<std::string> address = bus.readLine(30s);
    ASSERT_TRUE(address) << "dbus-daemon did not start";
    std::vector<std::string> environment
        = {"DISPLAY=:" + *display, "DBUS_SESSION_BUS_ADDRESS=" + *address, "QT_QPA_PLATFORM=xcb",
            "XDG_CONFIG_HOME=" + scratch.path().string(), "XDG_DATA_HOME=" + scratch.path().string()};
    // Sanitized builds: speechd and fontconfig keep allocations for the life
    // of the process; full stacks so the suppressions find their frames.
    {
        std::ofstream suppressions(scratch.file("lsan.supp"));
        suppressions << "leak:spd_open2\nleak:libspeechd.so\nleak:libfontconfig.so\n";
    }
    const char* asan = std::getenv("ASAN_OPTIONS");
    environment.push_back(
        std::string("ASAN_OPTIONS=") + (asan ? std::string(asan) + ":" : "") + "fast_unwind_on_malloc=0");
    const char* lsan = std::getenv("LSAN_OPTIONS");
    environment.push_back(std::string("LSAN_OPTIONS=") + (lsan ? std::string(lsan) + ":" : "")
        + "suppressions=" + scratch.file("lsan.supp").string());
    // Miles north and east of the base of the drive.
    const auto at = [](double north, double east) { return NavGeometry::offset({48.0, 11.0}, north, east); };
    const std::vector<Point> w = {at(0, 0), at(0.5, 0), at(0.5, 0.5), at(1.0, 0.5)};
    RoutePtr route = letteredRoute(
        "Loop", {{w[0].lat, w[0].lon}, {w[1].lat, w[1].lon}, {w[2].lat, w[2].lon}, {w[3].lat, w[3].lon}});
    std::string error;
    ASSERT_TRUE(DocumentArchive::saveRoute(scratch.file("loop.nvr").string(), *route, error)) << error;

    // Time to start before the first fix; then the three legs and on past
    // the destination.
    RouteDrive drive(1714564800.0, w[0].lat, w[0].lon);
    drive.waitWithoutFix(60);
    drive.standStill(3);
    for (size_t i = 1; i < w.size(); ++i)
        drive.driveTo(w[i].lat, w[i].lon, 20);
    drive.driveOn(0.0, 20, 30);
    NmeaLog::write(drive.epochs(), scratch.file("drive.nmea").string());

    const std::filesystem::path output = NAVORA_E2E_OUTPUT;
    const std::filesystem::path shots = output / "desktop-drive", errors = output / "desktop-drive-stderr.txt";
    std::filesystem::remove_all(shots);
    std::filesystem::create_directories(output);
    GpsFake fake(scratch.file("drive.nmea"), 0.01);
    ASSERT_TRUE(fake.ready());
    const auto text = [&] { return ProgramRun::fileText(errors); };
    const auto logged = [&](const std::string& line, std::chrono::milliseconds limit) {
        return eventually([&] { return countIn(errors, line) > 0; }, limit);
    };
    ProgramRun program({NAVORA_PROGRAM, "--server", "127.0.0.1", "--port", fake.portText(), "--navigate",
                           scratch.file("loop.nvr").string(), "--join", "--snapshots", shots.string()},
        errors, environment);
    ASSERT_TRUE(program.started());
    int taken = 0;
    // One snapshot: its sequence text, once the program has written it.
    const auto snapshot = [&]() -> std::string {
        const std::string number = std::to_string(++taken);
        const std::string sequence = std::string(number.size() < 3 ? 3 - number.size() : 0, '0') + number;
        program.signal(SIGUSR1);
        EXPECT_TRUE(logged("Snapshot " + sequence + " written", 30s)) << text();
        return sequence;
    };
    // Snapshots until the windows show the leg (the alert is logged as the
    // passage is decided, the fields fill with the next report): the last
    // one's sequence and fields.
    const auto showing = [&](const char* leg) {
        std::pair<std::string, QJsonObject> shot;
        for (int attempt = 0; attempt < 20 && !shot.second.value("wpBox").toString().contains(leg); ++attempt)
            shot.second = fieldsOf(shots / ((shot.first = snapshot()) + "-fields.json"));
        EXPECT_TRUE(shot.second.value("wpBox").toString().contains(leg)) << text();
        return shot;
    };

    // On the second leg, the fix and the leg in the windows.
    ASSERT_TRUE(logged("Alert: WaypointPassage", 120s)) << text();
    const QJsonObject moving = showing("B->C").second;
    EXPECT_FALSE(moving.value("fixLatitude").toString().isEmpty());
    EXPECT_FALSE(moving.value("fixSpeed").toString().isEmpty());
    // At the end of the route; then the MiniNav alone.
    ASSERT_TRUE(logged("Alert: DestinationArrival", 120s)) << text();
    const std::string atEnd = showing("C->D").first;
    EXPECT_TRUE(picture(shots, atEnd + "-window.png"));
    EXPECT_TRUE(picture(shots, atEnd + "-navDataWindow.png"));
    EXPECT_FALSE(std::filesystem::exists(shots / (atEnd + "-miniNavWindow.png")));
    program.signal(SIGUSR2);
    ASSERT_TRUE(logged("MiniNav on", 30s)) << text();
    const std::string mini = snapshot();
    EXPECT_TRUE(picture(shots, mini + "-miniNavWindow.png"));
    EXPECT_FALSE(std::filesystem::exists(shots / (mini + "-window.png")));
    EXPECT_FALSE(std::filesystem::exists(shots / (mini + "-navDataWindow.png")));

    // Quits at SIGTERM with nothing to ask, the GPS link stopped first.
    EXPECT_EQ(program.terminate(30s), 0) << text();
    EXPECT_EQ(countIn(errors, "GPS Controller shutting down"), 1u) << text();
    // The run's server and port stayed out of the user's settings.
    const std::string settings = ProgramRun::fileText(scratch.path() / "Navora" / "Navora.conf");
    EXPECT_EQ(settings.find("127.0.0.1"), std::string::npos) << settings;
    EXPECT_EQ(settings.find(fake.portText()), std::string::npos) << settings;
    // The drive's track log, on disk in the user's data folder.
    std::vector<std::filesystem::path> tracks;
    for (const auto& entry : std::filesystem::directory_iterator(scratch.path() / "Navora" / "tracks"))
        tracks.push_back(entry.path());
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_GE(TrackFile::read(tracks.front().string(), error).size(), 10u);
    EXPECT_TRUE(error.empty()) << error;
    EXPECT_EQ(countIn(errors, "Recording the track in " + tracks.front().string()), 1u) << text();
}

// What the program, desktop or headless, refuses before it opens any window
// or connection (no display needed): the options themselves are
// CommandOptions' (tests/app); here the exit status, the usage text and what
// it says without a display.
TEST(ProgramCommandLine, RefusesWhatItCannotUseAndExplainsItself)
{
    ScratchDirectory scratch;
    struct Row {
        std::vector<std::string> arguments;
        int status;
        std::string firstLine;
        std::string said; // on standard error
    };
    const Row rows[] = {
        {{"--help"}, 0, "Usage: navora [--server HOST] [--port PORT] [--snapshots DIR]", ""},
        {{"--headless", "--help"}, 0, "Usage: navora --headless [--server HOST] [--port PORT] [--units n|m|i|s]", ""},
        // Which options are refused is CommandOptions' (tests/app); here that it is said.
        {{"--port", "abc"}, 2, "", "--port takes a port number from 1 to 65535"},
        {{"--navigate", scratch.file("none.nvr").string(), "--join"}, 2, "", ""},
        // Nothing to open windows on: said plainly, no crash.
        {{}, 2, "", "no display to show windows on"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.arguments));
        std::vector<std::string> arguments = {NAVORA_PROGRAM};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        ProgramRun program(arguments, scratch.file("stderr.txt"),
            {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=", "XDG_CONFIG_HOME=" + scratch.path().string()});
        ASSERT_TRUE(program.started());
        const std::optional<std::string> first = program.readLine(30s);
        while (program.readLine(30s)) { }
        const std::string errors = ProgramRun::fileText(scratch.file("stderr.txt"));
        EXPECT_EQ(program.terminate(10s), row.status) << errors;
        if (!row.firstLine.empty()) {
            EXPECT_EQ(first.value_or(""), row.firstLine);
        }
        EXPECT_NE(errors.find(row.said), std::string::npos) << errors;
    }
}

} // namespace
} // namespace navora::test
