// GPX import beyond what the golden files show: into an open waypoint list.
#include "io/IoTestSupport.h"

#include "io/MemoryWaypointDocument.h"
#include "support/LogCapture.h"

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

} // namespace
} // namespace navora::test
