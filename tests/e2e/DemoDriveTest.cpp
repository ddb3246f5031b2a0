// The bundled demo (demo/), driven as scripts/run.sh drives it, but headless
// and faster: "navora --headless --navigate" on its route against gpsfake
// replaying its NMEA log. Only what the drive itself guarantees is checked:
// the route's alerts in order, its legs in order, its documents in step.
// The gpsd mode-change alerts are not: gpsd may hand over the first fix
// before the program is connected, so how many of them arrive varies.
#include "gps/GpsFake.h"
#include "gps/NmeaLog.h"
#include "model/DocumentArchive.h"
#include "nav/RouteDrive.h"
#include "support/ProgramRun.h"
#include "support/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <filesystem>
#include <map>
#include <set>

namespace navora::test {
namespace {

using namespace std::chrono_literals;

const std::filesystem::path demo = NAVORA_DEMO_DIR;

// The alerts of the route's progress, as "key: speech".
std::vector<std::string> routeAlerts(const std::vector<std::string>& lines)
{
    const std::set<std::string> keys = {"WaypointArrival", "WaypointPassage", "CourseReversal", "DestinationArrival"};
    std::vector<std::string> alerts;
    for (const std::string& line : lines) {
        const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        const std::string key = o.value("alert").toString().toStdString();
        if (keys.count(key))
            alerts.push_back(key + ": " + o.value("speech").toString().toStdString());
    }
    return alerts;
}

// The navigation window's leg titles, each once, in the order shown.
std::vector<std::string> legTitles(const std::vector<std::string>& lines)
{
    std::vector<std::string> titles;
    for (const std::string& line : lines) {
        const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        const std::string title = o.value("wpBox.title").toString().toStdString();
        if (!title.empty() && (titles.empty() || titles.back() != title))
            titles.push_back(title);
    }
    return titles;
}

TEST(DemoDrive, TheDocumentsHoldTheSameWaypoints)
{
    std::string error;
    const RoutePtr route = DocumentArchive::loadRoute((demo / "lindau-round.nvr").string(), error);
    ASSERT_TRUE(route) << error;
    const std::optional<WaypointList> list
        = DocumentArchive::loadWaypointList((demo / "lindau-waypoints.nvw").string(), error);
    ASSERT_TRUE(list) << error;
    EXPECT_EQ(route->description(), "Lindau Round");
    EXPECT_EQ(route->activeIndex(), 0);
    ASSERT_EQ(route->count(), 5u);
    // The list is kept sorted by name; the route in its own order.
    ASSERT_EQ(list->size(), route->count());
    std::map<std::string, WaypointPtr> byName;
    for (const WaypointPtr& w : *list)
        byName[w->wpName()] = w;
    for (size_t i = 0; i < route->count(); ++i) {
        const Waypoint& r = *route->waypointAtIndex(i);
        SCOPED_TRACE(r.wpName());
        ASSERT_TRUE(byName.count(r.wpName()));
        const Waypoint& w = *byName[r.wpName()];
        EXPECT_EQ(w.wpComment(), r.wpComment());
        EXPECT_EQ(w.latitude(), r.latitude());
        EXPECT_EQ(w.longitude(), r.longitude());
        // On Lake Constance, off Lindau.
        EXPECT_NEAR(r.latitude(), 47.53, 0.02);
        EXPECT_NEAR(r.longitude(), 9.69, 0.02);
    }
}

TEST(DemoDrive, EveryLegIsAnnouncedAndPassedAndTheDestinationReachedOnce)
{
    if (!GpsFake::available())
        GTEST_SKIP() << "gpsfake is not installed (Debian package gpsd-clients)";
    ScratchDirectory scratch;
    // gpsfake writes its own log beside the one it replays: not into demo/.
    std::filesystem::copy_file(demo / "lindau-round.nmea", scratch.file("drive.nmea"));
    GpsFake fake(scratch.file("drive.nmea"));
    ASSERT_TRUE(fake.ready());
    ProgramRun run({NAVORA_PROGRAM, "--headless", "--server", "127.0.0.1", "--port", fake.portText(), "--units", "n",
                       "--navigate", (demo / "lindau-round.nvr").string(), "--index", "1"},
        scratch.file("stderr.txt"), scratch.path());
    ASSERT_TRUE(run.started());
    ASSERT_TRUE(run.readUntil(R"("alert":"DestinationArrival")", 120s))
        << ProgramRun::fileText(scratch.file("stderr.txt"));
    // The rest of the drive: into the harbour, until the log ends.
    ASSERT_TRUE(run.readUntil(R"({"alert":"GPSOffline"})", 120s)) << ProgramRun::fileText(scratch.file("stderr.txt"));
    EXPECT_EQ(run.terminate(10s), 0);

    // Arrival alerts speak the waypoint's name and the lead time (15 s by
    // default); passage and destination alerts the name alone.
    EXPECT_EQ(routeAlerts(run.lines()),
        (std::vector<std::string>{
            "WaypointArrival: West Buoy in 15 seconds",
            "WaypointPassage: West Buoy",
            "WaypointArrival: Mid-Lake Mark in 15 seconds",
            "WaypointPassage: Mid-Lake Mark",
            "WaypointArrival: Reutin Buoy in 15 seconds",
            "WaypointPassage: Reutin Buoy",
            "WaypointArrival: Lighthouse in 15 seconds",
            "DestinationArrival: Lighthouse",
        }));
    // Straight for waypoint 1 from the first position, then leg by leg.
    EXPECT_EQ(legTitles(run.lines()),
        (std::vector<std::string>{
            "Lindau Round: Position->West Buoy (1 of 4)",
            "Lindau Round: West Buoy->Mid-Lake Mark (2 of 4)",
            "Lindau Round: Mid-Lake Mark->Reutin Buoy (3 of 4)",
            "Lindau Round: Reutin Buoy->Lighthouse (end)",
        }));
}

// Metres between two positions, on the flat local grid (short distances).
double metresApart(std::pair<double, double> a, std::pair<double, double> b)
{
    const double north = (a.first - b.first) * 60.0 * 1852.0;
    const double east = (a.second - b.second) * 60.0 * 1852.0 * std::cos(a.first * M_PI / 180.0);
    return std::hypot(north, east);
}

// The track of the drive (--track) is schema-valid GPX that imports back as
// a route of the drive: each of its waypoints a position the boat was at,
// and each sharp turn kept within 0.02 nm.
void expectTrackOfTheDrive(const ScratchDirectory& scratch, const std::vector<std::pair<double, double>>& driven,
    const std::vector<std::pair<double, double>>& sharpTurns)
{
    const std::string gpx = scratch.file("zig.gpx").string();
    const std::string validate = "xmllint --nonet --noout --schema " NAVORA_GPX_SCHEMA " '" + gpx + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(validate.c_str()), 0) << ProgramRun::fileText(gpx);

    ProgramRun convert({NAVORA_PROGRAM, "convert", "--quiet", gpx, scratch.file("back.nvr").string()},
        scratch.file("convert.txt"), scratch.path());
    while (convert.readLine(60s)) { }
    ASSERT_EQ(convert.terminate(10s), 0) << ProgramRun::fileText(scratch.file("convert.txt"));
    std::string error;
    const RoutePtr back = DocumentArchive::loadRoute(scratch.file("back.nvr").string(), error);
    ASSERT_TRUE(back) << error;
    const auto nearest = [](std::pair<double, double> point, const std::vector<std::pair<double, double>>& among) {
        double least = HUGE_VAL;
        for (const auto& other : among)
            least = std::min(least, metresApart(point, other));
        return least;
    };
    std::vector<std::pair<double, double>> kept;
    for (const WaypointPtr& waypoint : back->routeWaypoints())
        kept.emplace_back(waypoint->latitude(), waypoint->longitude());
    ASSERT_GE(kept.size(), sharpTurns.size());
    for (const auto& point : kept)
        EXPECT_LT(nearest(point, driven), 2.0) << point.first << " " << point.second;
    for (const auto& corner : sharpTurns)
        EXPECT_LT(nearest(corner, kept), 0.02 * 1852.0) << corner.first << " " << corner.second;
}

// A drive of the kind boats make, through real gpsd: the boat overshoots
// each sharp turn and turns late. Each mark is passed once, in order, only
// when the boat is there, and no course reversal is called while it comes
// round. Its track is recorded and comes back as a route of the drive.
TEST(DemoDrive, OvershootingSharpTurnsPassesEachMarkOnce)
{
    if (!GpsFake::available())
        GTEST_SKIP() << "gpsfake is not installed (Debian package gpsd-clients)";
    ScratchDirectory scratch;
    // Miles north and east of a base point on the flat local grid.
    const auto at = [](double north, double east) {
        return std::pair{54.0 + north / 60.0, 10.0 + east / 60.0 / std::cos(54.0 * M_PI / 180.0)};
    };
    const std::pair<double, double> marks[] = {at(0, 0), at(0.5, 0), at(0.15, 0.35), at(0.6, 0.6)};
    RoutePtr route = Route::create();
    route->setRouteName("Zig");
    for (size_t i = 0; i < std::size(marks); ++i)
        route->appendWaypoint(Waypoint::create(std::string(1, 'W').append(std::to_string(i)), "",
            static_cast<float>(marks[i].first), static_cast<float>(marks[i].second), 0.0f));
    std::string error;
    ASSERT_TRUE(DocumentArchive::saveRoute(scratch.file("zig.nvr").string(), *route, error)) << error;

    RouteDrive drive(1714564800.0, marks[0].first, marks[0].second);
    drive.waitWithoutFix(5);
    drive.standStill(3);
    const auto driveTo = [&](std::pair<double, double> point) { drive.driveTo(point.first, point.second, 20); };
    const std::vector<std::pair<double, double>> legEnds
        = {marks[1], at(0.6, 0.0), at(0.5, 0.15), marks[2], at(0.093, 0.407), marks[3]};
    for (const auto& end : legEnds)
        driveTo(end);
    // Where it turns sharply: a route of its track must keep those.
    const std::vector<std::pair<double, double>> sharpTurns = {legEnds[1], legEnds[2], legEnds[4]};
    drive.driveOn(29.0, 20, 30);
    NmeaLog::write(drive.epochs(), scratch.file("zig.nmea").string());

    GpsFake fake(scratch.file("zig.nmea"));
    ASSERT_TRUE(fake.ready());
    ProgramRun run(
        {NAVORA_PROGRAM, "--headless", "--server", "127.0.0.1", "--port", fake.portText(), "--units", "n", "--navigate",
            scratch.file("zig.nvr").string(), "--index", "1", "--track", scratch.file("zig.gpx").string()},
        scratch.file("stderr.txt"), scratch.path());
    ASSERT_TRUE(run.started());
    ASSERT_TRUE(run.readUntil(R"({"alert":"GPSOffline"})", 120s)) << ProgramRun::fileText(scratch.file("stderr.txt"));
    EXPECT_EQ(run.terminate(10s), 0);
    std::vector<std::pair<double, double>> driven;
    for (const NmeaLog::Epoch& epoch : drive.epochs())
        driven.emplace_back(epoch.latitude, epoch.longitude);
    expectTrackOfTheDrive(scratch, driven, sharpTurns);
    std::vector<std::string> decisions;
    for (const std::string& alert : routeAlerts(run.lines()))
        if (alert.rfind("WaypointArrival", 0) != 0)
            decisions.push_back(alert);
    EXPECT_EQ(
        decisions, (std::vector<std::string>{"WaypointPassage: W1", "WaypointPassage: W2", "DestinationArrival: W3"}));
}

} // namespace
} // namespace navora::test
