// The bundled demo (demo/) as scripts/run.sh drives it, but headless and
// faster, against gpsfake replaying its NMEA log: JSON lines, the route's
// alerts and legs in order, the track, a clean end. Not the gpsd mode alerts:
// how many arrive depends on when the program connects.
#include "gps/GpsFake.h"
#include "model/DocumentArchive.h"
#include "nav/NavGeometry.h"
#include "support/ProgramRun.h"
#include "support/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <filesystem>
#include <set>

namespace navora::test {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

const std::filesystem::path demo = NAVORA_DEMO_DIR;

TEST(DemoDrive, EveryLegIsAnnouncedAndPassedTheDestinationReachedAndTheTrackKept)
{
    if (!GpsFake::available())
        GTEST_SKIP() << "gpsfake is not installed (Debian package gpsd-clients)";
    ScratchDirectory scratch;
    // gpsfake writes its own log beside the one it replays: not into demo/.
    std::filesystem::copy_file(demo / "lindau-round.nmea", scratch.file("drive.nmea"));
    GpsFake fake(scratch.file("drive.nmea"));
    ASSERT_TRUE(fake.ready());
    const std::string gpx = scratch.file("drive.gpx").string();
    ProgramRun run({NAVORA_PROGRAM, "--headless", "--server", "127.0.0.1", "--port", fake.portText(), "--units", "m",
                       "--navigate", (demo / "lindau-round.nvr").string(), "--index", "1", "--track", gpx},
        scratch.file("stderr.txt"), scratch.path());
    ASSERT_TRUE(run.started());
    // Into the harbour, until the log ends.
    ASSERT_TRUE(run.readUntil(R"({"alert":"GPSOffline"})", 240s)) << ProgramRun::fileText(scratch.file("stderr.txt"));
    EXPECT_EQ(run.terminate(10s), 0);

    const std::set<std::string> routeKeys
        = {"WaypointArrival", "WaypointPassage", "CourseReversal", "DestinationArrival"};
    Strings alerts; // "key: speech"
    Strings legs; // each once, in the order shown
    std::vector<std::pair<double, double>> shown;
    std::vector<QJsonObject> objects;
    for (const std::string& line : run.lines()) {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line;
        ASSERT_TRUE(document.isObject()) << line;
        const QJsonObject o = objects.emplace_back(document.object());
        const std::string key = o.value("alert").toString().toStdString();
        if (routeKeys.count(key))
            alerts.push_back(key + ": " + o.value("speech").toString().toStdString());
        const std::string title = o.value("wpBox.title").toString().toStdString();
        if (!title.empty() && (legs.empty() || legs.back() != title))
            legs.push_back(title);
        if (o.contains("fixLatitude") && o.contains("fixLongitude"))
            shown.emplace_back(o.value("fixLatitude").toDouble(), o.value("fixLongitude").toDouble());
    }
    ASSERT_FALSE(objects.empty());
    // The unit labels first, in the units asked for.
    EXPECT_EQ(objects.front().value("unitsSpeed").toString(), "km/h");
    EXPECT_EQ(objects.front().value("unitsAltitude").toString(), "m");
    // Arrival alerts speak the waypoint's name and the lead time (15 s by
    // default); passage and destination alerts the name alone.
    EXPECT_EQ(alerts,
        (Strings{"WaypointArrival: West Buoy in 15 seconds", "WaypointPassage: West Buoy",
            "WaypointArrival: Mid-Lake Mark in 15 seconds", "WaypointPassage: Mid-Lake Mark",
            "WaypointArrival: Reutin Buoy in 15 seconds", "WaypointPassage: Reutin Buoy",
            "WaypointArrival: Lighthouse in 15 seconds", "DestinationArrival: Lighthouse"}));
    // Straight for waypoint 1 from the first position, then leg by leg.
    EXPECT_EQ(legs,
        (Strings{"Lindau Round: Position->West Buoy (1 of 4)", "Lindau Round: West Buoy->Mid-Lake Mark (2 of 4)",
            "Lindau Round: Mid-Lake Mark->Reutin Buoy (3 of 4)", "Lindau Round: Reutin Buoy->Lighthouse (end)"}));
    // After the interrupt: the windows close, and the log says goodbye.
    EXPECT_EQ(objects.back().value("window.visible"), QJsonValue(false));
    const std::string errors = ProgramRun::fileText(scratch.file("stderr.txt"));
    for (const char* said : {"Connected to gpsd.\n", "GPS Controller shutting down\n", "exiting GPS thread\n"})
        EXPECT_NE(errors.find(said), std::string::npos) << said << errors;

    // The track: schema-valid GPX that imports back as a route, each of its
    // waypoints a position the program showed.
    const std::string validate = "xmllint --nonet --noout --schema " NAVORA_GPX_SCHEMA " '" + gpx + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(validate.c_str()), 0) << ProgramRun::fileText(gpx);
    ProgramRun convert({NAVORA_PROGRAM, "convert", "--quiet", gpx, scratch.file("back.nvr").string()},
        scratch.file("convert.txt"), scratch.path());
    while (convert.readLine(60s)) { }
    ASSERT_EQ(convert.terminate(10s), 0) << ProgramRun::fileText(scratch.file("convert.txt"));
    std::string error;
    const RoutePtr back = DocumentArchive::loadRoute(scratch.file("back.nvr").string(), error);
    ASSERT_TRUE(back) << error;
    EXPECT_GE(back->count(), 5u);
    for (const WaypointPtr& waypoint : back->routeWaypoints()) {
        double least = HUGE_VAL;
        for (const auto& [lat, lon] : shown)
            least = std::min(least, NavGeometry::distance(waypoint->latitude(), waypoint->longitude(), lat, lon));
        EXPECT_LT(least * 1852, 2.0) << waypoint->latitude() << " " << waypoint->longitude();
    }
}

} // namespace
} // namespace navora::test
