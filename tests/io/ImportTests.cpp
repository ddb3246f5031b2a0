// Import beyond what the golden files show: GPX into an open waypoint list,
// KML into an open route, and without a file.
#include "io/IoTestSupport.h"

#include "io/MemoryRouteDocument.h"
#include "io/MemoryWaypointDocument.h"
#include "support/LogCapture.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <regex>

namespace navora::test {
namespace {

std::string gpx(const std::string& body)
{
    return "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">" + body
        + "</gpx>\n";
}

TEST(GpxImport, IntoAWaypointListOnlyTheFreeWaypoints)
{
    ScratchDirectory folder;
    MemoryDocumentHost host;
    MemoryWaypointDocument document;
    document.addWP(Waypoint::create("B", "mine", 0.0f, 0.0f, 0.0f));
    const std::string path = folder.write("in.gpx",
        gpx("<rte><name>R</name><rtept lat=\"2\" lon=\"2\"><name>P</name></rtept></rte>"
            "<wpt lat=\"3\" lon=\"3\"><name>C</name></wpt><wpt lat=\"1\"><name>X</name></wpt>"
            "<wpt lat=\"1\" lon=\"1\"><name>A</name></wpt>"));
    LogCapture log;
    ASSERT_TRUE(importerFor(host, path).importGPXforDocument(document, false));
    EXPECT_TRUE(host.documents().empty());
    EXPECT_EQ(describe(document.waypointList()),
        (std::vector<std::string>{"A |  | 1.000000 | 1.000000 | 0.000000", "B | mine | 0.000000 | 0.000000 | 0.000000",
            "C |  | 3.000000 | 3.000000 | 0.000000"}));
    EXPECT_TRUE(log.contains("waypoint X has no usable position (lat \"1\", lon \"\") - skipping..."));

    // A file without free waypoints still completes the import; no file
    // changes nothing.
    MemoryWaypointDocument empty;
    ASSERT_TRUE(importerFor(host, folder.write("routes.gpx", gpx("<rte/>"))).importGPXforDocument(empty, false));
    EXPECT_EQ(empty.changeCount(), 1);
    EXPECT_FALSE(importerFor(host, std::nullopt).importGPXforDocument(empty, false));
    EXPECT_FALSE(importerFor(host, std::nullopt).importGPX());
    EXPECT_EQ(empty.changeCount(), 1);
    EXPECT_TRUE(host.documents().empty());
}

// A waypoint read whole before the strict parse fails is read again by the
// tolerant one: it comes once.
TEST(GpxImport, AFileReadAgainTolerantlyGivesEachWaypointOnce)
{
    ScratchDirectory folder;
    MemoryDocumentHost host;
    const std::string path = folder.write("in.gpx",
        gpx("<wpt lat=\"3\"/><wpt lat=\"1\" lon=\"1\"><name>A</name></wpt>"
            "<wpt lat=\"2\" lon=\"2\"><name>B</nme></wpt>"));
    LogCapture log;
    ASSERT_TRUE(importerFor(host, path).importGPX());
    ASSERT_EQ(host.documents().size(), 1u);
    EXPECT_EQ(describe(host.documents().front()->waypointList()),
        (std::vector<std::string>{"A |  | 1.000000 | 1.000000 | 0.000000", "B |  | 2.000000 | 2.000000 | 0.000000"}));
    EXPECT_EQ(log.count("waypoint WPT001 has no usable position (lat \"3\", lon \"\") - skipping..."), 1u);
}

// Within the tolerance, measured without the program's own geometry: metres
// on a flat projection about the segment's start, 1852 m to the mile.
double metresFromSegment(double lat, double lon, double lat1, double lon1, double lat2, double lon2)
{
    const double metresPerDegree = 1852.0 * 60.0;
    const double east = std::cos(lat1 * 3.14159265358979 / 180.0) * metresPerDegree;
    const double bx = (lon2 - lon1) * east, by = (lat2 - lat1) * metresPerDegree;
    const double px = (lon - lon1) * east, py = (lat - lat1) * metresPerDegree;
    const double t = bx * bx + by * by > 0 ? std::clamp((px * bx + py * by) / (bx * bx + by * by), 0.0, 1.0) : 0.0;
    return std::hypot(px - t * bx, py - t * by);
}

// The track points of GPSBabel's GPX of the demo drive's NMEA: 581 of them.
std::vector<std::pair<double, double>> demoTrack()
{
    std::vector<std::pair<double, double>> track;
    std::ifstream file(ioDataPath("golden/gpsbabel-track.gpx"));
    const std::regex point(R"re(<trkpt lat="([-0-9.]+)" lon="([-0-9.]+)")re");
    for (std::string line; std::getline(file, line);) {
        std::smatch found;
        if (std::regex_search(line, found, point))
            track.emplace_back(std::stod(found[1]), std::stod(found[2]));
    }
    return track;
}

// The farthest any point of the track lies from the route's legs, in metres.
double worstMetresOffRoute(const std::vector<std::pair<double, double>>& track, const WaypointList& waypoints)
{
    double worst = 0.0;
    for (const auto& [lat, lon] : track) {
        double nearest = 1e12;
        for (size_t i = 1; i < waypoints.size(); ++i)
            nearest = std::min(nearest,
                metresFromSegment(lat, lon, waypoints[i - 1]->latitude(), waypoints[i - 1]->longitude(),
                    waypoints[i]->latitude(), waypoints[i]->longitude()));
        worst = std::max(worst, nearest);
    }
    return worst;
}

// GPSBabel's GPX of the demo drive's NMEA: 581 track points, no track name.
// Its KML of the same track: a LineString alone (without times), and a
// gx:Track written again as a LineString. Each becomes one route that keeps
// to the track within the tolerance.
TEST(TrackImport, ATrackBecomesARouteThatKeepsToItWithinTheTolerance)
{
    const std::vector<std::pair<double, double>> track = demoTrack();
    ASSERT_EQ(track.size(), 581u);
    struct Row {
        std::string file;
        bool kml;
        std::string name;
        std::string firstComment;
    };
    const Row rows[] = {
        {"golden/gpsbabel-track.gpx", false, "Track 1", "2024-07-13T08:30:06Z"},
        {"gpsbabel-track-line.kml", true, "Path", ""},
        {"gpsbabel-track-gx.kml", true, "Track 1", "2024-07-13T08:30:06Z"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        MemoryDocumentHost host;
        LogCapture log;
        std::vector<std::string> told;
        ImportController importer = importerFor(host, ioDataPath(row.file));
        importer.setTrackReport([&told](const std::string& message) { told.push_back(message); });
        ASSERT_TRUE(row.kml ? importer.importKMLasRoute(true) : importer.importGPX());
        ASSERT_EQ(host.documents().size(), 1u);
        const RoutePtr route = host.documents().front()->route();
        ASSERT_TRUE(route);
        EXPECT_EQ(route->routeName(), row.name);
        const WaypointList& waypoints = route->routeWaypoints();
        ASSERT_GE(waypoints.size(), 2u);
        ASSERT_LE(waypoints.size(), 500u);
        EXPECT_EQ(waypoints.front()->wpName(), "TRK001");
        EXPECT_EQ(waypoints.front()->wpComment(), row.firstComment);
        // The first and last points are kept (to a float, about 0.2 m here).
        EXPECT_NEAR(waypoints.front()->latitude(), track.front().first, 1e-5);
        EXPECT_NEAR(waypoints.back()->longitude(), track.back().second, 1e-5);
        // Half a metre for the floats stored and the KML's six decimals.
        EXPECT_LE(worstMetresOffRoute(track, waypoints), 0.01 * 1852.0 + 0.5);
        const std::string said = "Track \"" + row.name + "\": 581 points became " + std::to_string(waypoints.size())
            + " waypoints (tolerance 0.01 nm)";
        EXPECT_TRUE(log.contains(said));
        EXPECT_EQ(told, std::vector<std::string>{said});
        if (row.file == "gpsbabel-track-gx.kml") {
            EXPECT_TRUE(log.contains("Line Path repeats a track - skipping..."));
        }
    }
}

std::string kml(const std::string& body)
{
    return "<?xml version=\"1.0\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Document>" + body
        + "</Document></kml>\n";
}

std::string placemark(const std::string& name, const std::string& coordinates)
{
    return "<Placemark><name>" + name + "</name><Point><coordinates>" + coordinates
        + "</coordinates></Point></Placemark>\n";
}

TEST(KmlImport, IntoARouteTheNameIsReplacedAndTheWaypointsAppended)
{
    const struct {
        const char* label;
        std::string text;
        std::optional<std::string> name;
        size_t waypoints;
    } rows[] = {
        {"first document name", kml("<name>First</name><name>Second</name>" + placemark("A", "1,2")), "First", 2},
        {"empty document name", kml("<name></name>"), "", 1},
        {"only lines",
            kml("<Placemark><name>L</name><LineString><coordinates>1,2 3,4</coordinates></LineString></Placemark>"),
            "(imported)", 1},
    };
    for (const auto& row : rows) {
        ScratchDirectory folder;
        MemoryDocumentHost host;
        auto route = Route::create();
        route->setRouteName("Old name");
        route->appendWaypoint(Waypoint::create("Existing", "", 1.0f, 1.0f, 1.0f));
        MemoryRouteDocument document(route);
        ASSERT_TRUE(importerFor(host, folder.write("in.kml", row.text)).importKMLforDocument(document, true));
        EXPECT_EQ(route->routeName(), row.name) << row.label;
        ASSERT_EQ(route->count(), row.waypoints) << row.label;
        EXPECT_EQ(route->routeWaypoints().front()->wpName(), "Existing");
        EXPECT_EQ(document.changeCount(), 1);
    }
}

TEST(KmlImport, NoFileOrNoAnswerLeavesThingsAlone)
{
    MemoryDocumentHost host;
    MemoryRouteDocument document;
    LogCapture log;
    EXPECT_FALSE(importerFor(host, std::nullopt).importKMLforDocument(document, true));
    EXPECT_TRUE(log.lines().empty());
    EXPECT_FALSE(importerFor(host, std::string()).importKMLforDocument(document, true));
    EXPECT_EQ(log.lines(), std::vector<std::string>{"Can't create an URL from file ."});
    EXPECT_EQ(document.changeCount(), 0);

    // Cancelling the question or the file opens nothing.
    ScratchDirectory folder;
    importerFor(host, folder.write("in.kml", kml(placemark("A", "1,2"))), [] {
        return ImportChoice::Cancel;
    }).importKML();
    EXPECT_TRUE(host.documents().empty());
    EXPECT_TRUE(log.contains("import cancelled"));
    importerFor(host, std::nullopt, [] { return ImportChoice::Waypoints; }).importKML();
    EXPECT_TRUE(host.documents().empty());
}

} // namespace
} // namespace navora::test
