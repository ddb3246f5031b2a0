#include "io/IoTestSupport.h"

#include "io/MemoryWaypointDocument.h"
#include "model/DocumentTypes.h"
#include "support/LogCapture.h"

namespace navora::test {
namespace {

std::string gpx(const std::string& body,
    const std::string& root = "<gpx version=\"1.1\" creator=\"test\" "
                              "xmlns=\"http://www.topografix.com/GPX/1/1\">")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + root + body + "</gpx>\n";
}

std::string point(const std::string& element, const std::string& name, int n)
{
    const std::string number = std::to_string(n);
    return "<" + element + " lat=\"" + number + ".5\" lon=\"-" + number + ".25\"><ele>" + number + "0</ele><name>"
        + name + "</name><cmt>c" + number + "</cmt></" + element + ">";
}

std::string line(const std::string& name, int n)
{
    const std::string number = std::to_string(n);
    return name + " | c" + number + " | " + number + ".500000 | -" + number + ".250000 | " + number + "0.000000";
}

struct Imported {
    MemoryDocumentHost host;
    LogCapture log;
    bool read = false;
};

void importGpx(Imported& imported, const std::string& text)
{
    ScratchFolder folder;
    imported.read = importerFor(imported.host, folder.write("in.gpx", text)).importGPX();
}

TEST(GpxImport, EveryRouteIntoItsOwnDocumentAndTheWaypointsIntoOneList)
{
    const std::string text = gpx(point("wpt", "Echo", 5) + "<rte><name>First</name>" + point("rtept", "F1", 1)
        + point("rtept", "F2", 2) + point("rtept", "F3", 3) + "</rte>" + point("wpt", "Alpha", 1)
        + point("wpt", "Delta", 4) + "<rte><name>Second</name>" + point("rtept", "S3", 3) + point("rtept", "S1", 1)
        + point("rtept", "S2", 2) + "</rte>" + point("wpt", "Charlie", 3) + point("wpt", "Bravo", 2));
    Imported imported;
    importGpx(imported, text);
    ASSERT_TRUE(imported.read);
    const auto documents = imported.host.documents();
    ASSERT_EQ(documents.size(), 3u);
    EXPECT_EQ(documents[0]->typeName(), kRouteDocumentType.name);
    EXPECT_EQ(documents[0]->route()->routeName(), "First");
    EXPECT_EQ(describe(documents[0]->waypointList()),
        (std::vector<std::string>{line("F1", 1), line("F2", 2), line("F3", 3)}));
    EXPECT_EQ(documents[1]->route()->routeName(), "Second");
    EXPECT_EQ(describe(documents[1]->waypointList()),
        (std::vector<std::string>{line("S3", 3), line("S1", 1), line("S2", 2)}));
    EXPECT_EQ(documents[2]->typeName(), kWaypointsDocumentType.name);
    EXPECT_EQ(describe(documents[2]->waypointList()),
        (std::vector<std::string>{
            line("Alpha", 1), line("Bravo", 2), line("Charlie", 3), line("Delta", 4), line("Echo", 5)}));
    EXPECT_EQ(imported.log.count("2 routes found."), 1u);
    EXPECT_EQ(imported.log.count("5 waypoints imported."), 1u);
    EXPECT_EQ(imported.log.count("Import complete - 0 duplicates removed"), 1u);
}

TEST(GpxImport, OnlyTracksOpenNothing)
{
    Imported imported;
    importGpx(
        imported, gpx("<trk><name>T</name><trkseg><trkpt lat=\"1\" lon=\"2\"><name>P</name></trkpt></trkseg></trk>"));
    EXPECT_TRUE(imported.read);
    EXPECT_TRUE(imported.host.documents().empty());
    EXPECT_EQ(
        imported.log.lines(), (std::vector<std::string>{"0 routes found.", "no non-route waypoints found in file"}));
}

struct PointCase {
    const char* label;
    std::string element;
    std::vector<std::string> waypoints;
    std::vector<std::string> log;
};

void PrintTo(const PointCase& row, std::ostream* out)
{
    *out << row.label;
}

class GpxPoint : public ::testing::TestWithParam<PointCase> { };

TEST_P(GpxPoint, IsReadOrSkipped)
{
    Imported imported;
    importGpx(imported, gpx(GetParam().element));
    std::vector<std::string> waypoints;
    for (ExchangeDocument* document : imported.host.documents())
        for (const std::string& text : describe(document->waypointList()))
            waypoints.push_back(text);
    EXPECT_EQ(waypoints, GetParam().waypoints);
    for (const std::string& expected : GetParam().log)
        EXPECT_TRUE(imported.log.contains(expected)) << expected;
}

INSTANTIATE_TEST_SUITE_P(Points, GpxPoint,
    ::testing::Values(PointCase{"Complete", point("wpt", "A", 1), {line("A", 1)}, {"1 waypoints imported."}},
        PointCase{"NoLongitude", "<wpt lat=\"1\"><name>A</name></wpt>", {},
            {"waypoint incomplete - skipping...", "1 waypoints imported."}},
        PointCase{"NoLatitude", "<wpt lon=\"1\"><name>A</name></wpt>", {}, {"waypoint incomplete - skipping..."}},
        PointCase{"NoName", "<wpt lat=\"1\" lon=\"2\"><cmt>c</cmt></wpt>", {}, {"waypoint incomplete - skipping..."}},
        PointCase{"NoEleNoCmt", "<wpt lat=\"1.5\" lon=\"2.5\"><name>A</name></wpt>",
            {"A |  | 1.500000 | 2.500000 | 0.000000"}, {}},
        PointCase{"DescIsNotTheComment", "<wpt lat=\"1\" lon=\"2\"><name>A</name><desc>d</desc></wpt>",
            {"A |  | 1.000000 | 2.000000 | 0.000000"}, {}},
        PointCase{"FirstChildCounts",
            "<wpt lat=\"1\" "
            "lon=\"2\"><ele>3</ele><name>A</name><cmt>c</cmt><name>B</name><cmt>d</cmt><ele>4</ele></wpt>",
            {"A | c | 1.000000 | 2.000000 | 3.000000"}, {}},
        PointCase{"EmptyName", "<wpt lat=\"1\" lon=\"2\"><name/></wpt>", {" |  | 1.000000 | 2.000000 | 0.000000"}, {}},
        PointCase{"LenientNumbers", "<wpt lat=\" 1.5N\" lon=\"x\"><ele>2e1m</ele><name>A</name></wpt>",
            {"A |  | 1.500000 | 0.000000 | 20.000000"}, {}},
        PointCase{"OutOfRangeIsUnknown", "<wpt lat=\"95\" lon=\"200\"><name>A</name></wpt>",
            {"A |  | nan | nan | 0.000000"}, {}},
        PointCase{"IncompleteRoutePoint",
            "<rte><name>R</name><rtept lat=\"1\"><name>A</name></rtept><rtept lat=\"1\" lon=\"2\"><name>B</name>"
            "</rtept></rte>",
            {"B |  | 1.000000 | 2.000000 | 0.000000"}, {"route point incomplete - skipping...", "1 routes found."}},
        PointCase{"EntitiesCdataAndNonAscii",
            "<wpt lat=\"1\" lon=\"2\"><name><![CDATA[Fish & <Chips>]]></name><cmt>Größe &amp; «北»</cmt></wpt>",
            {"Fish & <Chips> | Größe & «北» | 1.000000 | 2.000000 | 0.000000"}, {}}),
    [](const auto& row) { return std::string(row.param.label); });

TEST(GpxImport, ARouteWithoutANameKeepsTheNameOfANewRoute)
{
    Imported imported;
    importGpx(imported, gpx("<rte>" + point("rtept", "A", 1) + "</rte>"));
    ASSERT_EQ(imported.host.documents().size(), 1u);
    EXPECT_EQ(imported.host.documents().front()->route()->routeName(), std::nullopt);
}

TEST(GpxImport, SameNamedWaypointsLeaveOneButAreCounted)
{
    Imported imported;
    importGpx(imported, gpx(point("wpt", "A", 1) + point("wpt", "A", 2)));
    ASSERT_EQ(imported.host.documents().size(), 1u);
    EXPECT_EQ(describe(imported.host.documents().front()->waypointList()), std::vector<std::string>{line("A", 1)});
    EXPECT_TRUE(imported.log.contains("Import complete - 1 duplicates removed"));
    EXPECT_TRUE(imported.log.contains("2 waypoints imported."));
}

TEST(GpxImport, VersionsAndNamespacesReadAlike)
{
    const std::string body = point("wpt", "W", 1) + "<rte><name>R</name>" + point("rtept", "P", 2) + "</rte>";
    for (const std::string_view root :
        {"<gpx version=\"1.0\">", "<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\">",
            "<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">"}) {
        Imported imported;
        importGpx(imported, gpx(body, std::string(root)));
        const auto documents = imported.host.documents();
        ASSERT_EQ(documents.size(), 2u) << root;
        EXPECT_EQ(describe(documents[0]->waypointList()), std::vector<std::string>{line("P", 2)}) << root;
        EXPECT_EQ(describe(documents[1]->waypointList()), std::vector<std::string>{line("W", 1)}) << root;
    }
}

TEST(GpxImport, IntoAWaypointListOnlyTheFreeWaypoints)
{
    ScratchFolder folder;
    MemoryDocumentHost host;
    MemoryWaypointDocument document;
    document.addWP(Waypoint::create("B", "mine", 0.0f, 0.0f, 0.0f));
    const std::string path = folder.write("in.gpx",
        gpx("<rte><name>R</name>" + point("rtept", "P", 2) + "</rte>" + point("wpt", "C", 3) + point("wpt", "A", 1)));
    ASSERT_TRUE(importerFor(host, path).importGPXforDocument(document, false));
    EXPECT_TRUE(host.documents().empty());
    EXPECT_EQ(describe(document.waypointList()),
        (std::vector<std::string>{line("A", 1), "B | mine | 0.000000 | 0.000000 | 0.000000", line("C", 3)}));

    // A file without free waypoints still completes the import.
    MemoryWaypointDocument empty;
    LogCapture log;
    ASSERT_TRUE(importerFor(host, folder.write("routes.gpx", gpx("<rte/>"))).importGPXforDocument(empty, false));
    EXPECT_EQ(empty.changeCount(), 1);
    EXPECT_TRUE(log.contains("Import complete - 0 duplicates removed"));
}

TEST(GpxImport, NoFileCreatesNothing)
{
    MemoryDocumentHost host;
    ScratchFolder folder;
    EXPECT_FALSE(importerFor(host, std::nullopt).importGPX());
    EXPECT_FALSE(importerFor(host, folder.write("in.gpx", "<gpx><wpt")).importGPX());
    EXPECT_TRUE(host.documents().empty());
}

} // namespace
} // namespace navora::test
