// Import beyond what the golden files show: GPX into an open waypoint list,
// KML into an open route, and without a file.
#include "io/IoTestSupport.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <regex>

namespace navora::test {
namespace {

std::string gpx(const std::string& body)
{
    return R"(<?xml version="1.0"?><gpx version="1.1" xmlns="http://www.topografix.com/GPX/1/1">)" + body + "</gpx>";
}

TEST(GpxImport, IntoAWaypointListOnlyTheFreeWaypointsEachOnce)
{
    ScratchDirectory folder;
    MemoryDocumentHost host;
    MemoryWaypointDocument document;
    document.addWP(Waypoint::create("B", "mine", 0.0f, 0.0f, 0.0f));
    const std::string path = folder.write("in.gpx",
        gpx(R"(<rte><name>R</name><rtept lat="2" lon="2"><name>P</name></rtept></rte><wpt lat="3" lon="3">)"
            R"(<name>C</name></wpt><wpt lat="1"><name>X</name></wpt><wpt lat="1" lon="1"><name>A</name></wpt>)"));
    LogCapture log;
    ASSERT_TRUE(importerFor(host, path).importGPXforDocument(document, false));
    EXPECT_EQ(describe(document.waypointList()),
        (std::vector<std::string>{"A |  | 1.000000 | 1.000000 | 0.000000", "B | mine | 0.000000 | 0.000000 | 0.000000",
            "C |  | 3.000000 | 3.000000 | 0.000000"}));
    EXPECT_TRUE(log.contains("waypoint X has no usable position (lat \"1\", lon \"\") - skipping..."));

    // A file without free waypoints still completes the import; no file changes nothing.
    MemoryWaypointDocument empty;
    ASSERT_TRUE(importerFor(host, folder.write("routes.gpx", gpx("<rte/>"))).importGPXforDocument(empty, false));
    EXPECT_FALSE(importerFor(host, std::nullopt).importGPXforDocument(empty, false));
    EXPECT_FALSE(importerFor(host, std::nullopt).importGPX());
    EXPECT_EQ(empty.changeCount(), 1);
    EXPECT_TRUE(host.documents().empty());

    // A waypoint read whole before the strict parse fails is read again by
    // the tolerant one: it comes once.
    ASSERT_TRUE(importerFor(host,
        folder.write("broken.gpx",
            gpx(R"(<wpt lat="3"/><wpt lat="1" lon="1"><name>A</name></wpt><wpt lat="2" lon="2"><name>B</nme></wpt>)")))
                    .importGPX());
    ASSERT_EQ(host.documents().size(), 1u);
    EXPECT_EQ(describe(host.documents().front()->waypointList()),
        (std::vector<std::string>{"A |  | 1.000000 | 1.000000 | 0.000000", "B |  | 2.000000 | 2.000000 | 0.000000"}));
    EXPECT_EQ(log.count("waypoint WPT001 has no usable position (lat \"3\", lon \"\") - skipping..."), 1u);
}

// Values are read as the document's tree holds them: entity references
// expanded wherever they stand (also in attributes, and an entity met first
// in an attribute), markup inside a value left out, names matched by local
// name only when their prefix is declared, attributes that the document type
// would default not taken. An element whose start tag breaks off leaves the
// file unread, as one cut short; an ID given twice is reported and harmless.
TEST(GpxImport, ValuesAreReadAsTheDocumentTreeHoldsThem)
{
    const std::string entities = R"(<!DOCTYPE gpx [<!ENTITY n "5"><!ENTITY e "x"><!ENTITY c "C">)"
                                 R"(<!ENTITY a "A<b>inner</b>&c;"><!ATTLIST wpt lat CDATA "10" lon CDATA "20">]>)";
    const struct {
        std::string label;
        std::string body;
        std::vector<std::string> waypoints;
        std::string logged;
        bool read = true;
    } cases[]{
        {"references", R"(<wpt lat="&n;" lon="2&#46;5"><name>&e;A&amp;B</name><cmt>c&e;&n;</cmt></wpt>)",
            {"xA&B | cx5 | 5.000000 | 2.500000 | 0.000000"}, ""},
        {"markup in entities and CDATA",
            R"(<wpt lat="1" lon="2"><name>&a;x</name><cmt><![CDATA[<raw>]]>&a;</cmt></wpt>)",
            {"AinnerCx | <raw>AinnerC | 1.000000 | 2.000000 | 0.000000"}, ""},
        {"entity first met in an attribute", R"(<x a="&e;&c;"/><wpt lat="1" lon="2"><name>&e;&c;</name></wpt>)",
            {"xC |  | 1.000000 | 2.000000 | 0.000000"}, ""},
        {"prefixes",
            R"(<g:wpt xmlns:g="urn:g" g:lat="1" lon="2"><g:name>N</g:name></g:wpt><q:wpt lat="3" lon="4"/>)"
            R"(<wpt q:lat="5" lon="6" lat="7"><name>V</name></wpt>)",
            {"N |  | 1.000000 | 2.000000 | 0.000000", "V |  | 7.000000 | 6.000000 | 0.000000"},
            "Namespace prefix q on wpt is not defined"},
        {"defaulted attributes", R"(<wpt><name>D</name></wpt>)", {},
            R"(waypoint D has no usable position (lat "", lon "") - skipping...)"},
        {"broken start tag", R"(<wpt lat="1" lon="2"><name%>A</name></wpt><wpt lat="3" lon="4"/>)", {},
            "the file ends before its document does", false},
        {"ID twice", R"(<wpt xml:id="a" lat="1" lon="2"><name xml:id="a">A</name></wpt>)",
            {"A |  | 1.000000 | 2.000000 | 0.000000"}, "ID a already defined"},
    };
    ScratchDirectory folder;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.label);
        MemoryDocumentHost host;
        MemoryWaypointDocument document;
        LogCapture log;
        const std::string path = folder.write("values.gpx", entities + "<gpx>" + row.body + "</gpx>");
        EXPECT_EQ(importerFor(host, path).importGPXforDocument(document, false), row.read);
        EXPECT_EQ(describe(document.waypointList()), row.waypoints);
        if (!row.logged.empty()) {
            const std::vector<std::string> lines = log.lines();
            EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
                return line.find(row.logged) != std::string::npos;
            })) << row.logged;
        }
    }
}

// The farthest any point of the track lies from the route's legs, in metres
// on a flat projection about each leg's start, 1852 m to the mile: measured
// without the program's own geometry.
double worstMetresOffRoute(const std::vector<std::pair<double, double>>& track, const WaypointList& waypoints)
{
    double worst = 0.0;
    for (const auto& [lat, lon] : track) {
        double nearest = 1e12;
        for (size_t i = 1; i < waypoints.size(); ++i) {
            const double lat1 = waypoints[i - 1]->latitude(), lon1 = waypoints[i - 1]->longitude();
            const double north = 1852.0 * 60.0, east = std::cos(lat1 * 3.14159265358979 / 180.0) * north;
            const double bx = (waypoints[i]->longitude() - lon1) * east, by = (waypoints[i]->latitude() - lat1) * north;
            const double px = (lon - lon1) * east, py = (lat - lat1) * north;
            const double t
                = bx * bx + by * by > 0 ? std::clamp((px * bx + py * by) / (bx * bx + by * by), 0.0, 1.0) : 0.0;
            nearest = std::min(nearest, std::hypot(px - t * bx, py - t * by));
        }
        worst = std::max(worst, nearest);
    }
    return worst;
}

// GPSBabel's KML of the golden track (581 points): a LineString alone
// (without times), and a gx:Track written again as a LineString. Each becomes
// one route that keeps to the track within the tolerance.
TEST(TrackImport, ATrackBecomesARouteThatKeepsToItWithinTheTolerance)
{
    std::vector<std::pair<double, double>> track;
    std::ifstream file(ioDataPath("golden/gpsbabel-track.gpx"));
    const std::regex point(R"re(<trkpt lat="([-0-9.]+)" lon="([-0-9.]+)")re");
    std::smatch found;
    for (std::string line; std::getline(file, line);) {
        if (std::regex_search(line, found, point))
            track.emplace_back(std::stod(found[1]), std::stod(found[2]));
    }
    ASSERT_EQ(track.size(), 581u);
    const struct {
        std::string file;
        std::string name;
        std::string firstComment;
    } rows[] = {{"gpsbabel-track-line.kml", "Path", ""}, {"gpsbabel-track-gx.kml", "Track 1", "2024-07-13T08:30:06Z"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        MemoryDocumentHost host;
        LogCapture log;
        std::vector<std::string> told;
        ImportController importer = importerFor(host, ioDataPath(row.file));
        importer.setTrackReport([&told](const std::string& message) { told.push_back(message); });
        ASSERT_TRUE(importer.importKMLasRoute(true));
        ASSERT_EQ(host.documents().size(), 1u);
        const RoutePtr route = host.documents().front()->route();
        ASSERT_TRUE(route);
        EXPECT_EQ(route->routeName(), row.name);
        const WaypointList& waypoints = route->routeWaypoints();
        ASSERT_GE(waypoints.size(), 2u);
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
        EXPECT_EQ(log.contains("Line Path repeats a track - skipping..."), row.name == "Track 1");
    }
}

std::string kml(const std::string& body)
{
    return R"(<?xml version="1.0"?><kml xmlns="http://www.opengis.net/kml/2.2"><Document>)" + body
        + "</Document></kml>";
}

TEST(KmlImport, IntoARouteTheNameIsReplacedAndTheWaypointsAppended)
{
    const std::string point = "<Placemark><name>A</name><Point><coordinates>1,2</coordinates></Point></Placemark>";
    const struct {
        std::string text;
        std::optional<std::string> name;
        size_t waypoints;
    } rows[] = {{kml("<name>First</name><name>Second</name>" + point), "First", 2}, {kml("<name></name>"), "", 1},
        {kml("<Placemark><LineString><coordinates>1,2 3,4</coordinates></LineString></Placemark>"), "(imported)", 1}};
    ScratchDirectory folder;
    MemoryDocumentHost host;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        auto route = Route::create();
        route->setRouteName("Old name");
        route->appendWaypoint(Waypoint::create("Existing", "", 1.0f, 1.0f, 1.0f));
        MemoryRouteDocument document(route);
        ASSERT_TRUE(importerFor(host, folder.write("in.kml", row.text)).importKMLforDocument(document, true));
        EXPECT_EQ(route->routeName(), row.name);
        ASSERT_EQ(route->count(), row.waypoints);
        EXPECT_EQ(route->routeWaypoints().front()->wpName(), "Existing");
        EXPECT_EQ(document.changeCount(), 1);
    }

    // No file, or no answer, leaves things alone.
    MemoryRouteDocument document;
    LogCapture log;
    EXPECT_FALSE(importerFor(host, std::nullopt).importKMLforDocument(document, true));
    EXPECT_TRUE(log.lines().empty());
    EXPECT_FALSE(importerFor(host, std::string()).importKMLforDocument(document, true));
    EXPECT_EQ(log.lines(), std::vector<std::string>{"Can't create an URL from file ."});
    EXPECT_EQ(document.changeCount(), 0);
    importerFor(host, folder.write("in.kml", kml(point)), [] { return ImportChoice::Cancel; }).importKML();
    EXPECT_TRUE(log.contains("import cancelled"));
    importerFor(host, std::nullopt, [] { return ImportChoice::Waypoints; }).importKML();
    EXPECT_TRUE(host.documents().empty());
}

} // namespace
} // namespace navora::test
