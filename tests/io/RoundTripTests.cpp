// What Navora writes, Navora reads back: every field the formats carry, with
// text that needs escaping. Unknown altitudes come back as 0, which the
// formats write for them.
#include "io/IoTestSupport.h"

#include "io/MemoryRouteDocument.h"
#include "io/MemoryWaypointDocument.h"
#include "support/LogCapture.h"

#include <cmath>

namespace navora::test {
namespace {

WaypointList sampleWaypoints()
{
    const float unknown = std::numeric_limits<float>::quiet_NaN();
    return {Waypoint::create("Quay", "Start at the quay", 50.3655f, -4.1427f, 12.0f),
        Waypoint::create("  blanks kept  ", "", -33.8568f, 151.2153f, -3.25f),
        Waypoint::create("Ålesund – Øst «北»", "Tromsø & <Nordkapp> \"quoted\" 'single'", 62.4722f, 6.1549f, unknown),
        Waypoint::create("Lines", "first\nsecond\r\nthird\ttab", 90.0f, 180.0f, 8848.86f),
        Waypoint::create("South-west", "edge", -90.0f, -180.0f, -10994.0f),
        Waypoint::create("Small", "tiny", 0.000001f, -0.000001f, 0.5f)};
}

std::vector<std::string> asWritten(const WaypointList& list)
{
    std::vector<std::string> lines;
    for (const WaypointPtr& waypoint : list) {
        const WaypointSnapshot s = waypoint->snapshot();
        const float altitude = std::isnan(s.altitude) ? 0.0f : s.altitude;
        lines.push_back(s.wpName + " | " + s.wpComment + " | " + NumberText::formatFixed(s.latitude) + " | "
            + NumberText::formatFixed(s.longitude) + " | " + NumberText::formatFixed(altitude));
    }
    return lines;
}

TEST(RoundTrip, ExportedFilesImportToTheSameWaypoints)
{
    ScratchDirectory folder;
    LogCapture quiet;
    Exporter exporter;
    auto route = Route::create();
    route->setRouteName("Coast Run");
    route->setRouteWaypoints(sampleWaypoints());
    exporter.host().setKeyDocument(exporter.host().addDocument(std::make_unique<MemoryRouteDocument>(route)));
    exporter.host().addDocument(std::make_unique<MemoryWaypointDocument>("List", sampleWaypoints()));
    MemoryWaypointDocument sorted("sorted", sampleWaypoints());
    sorted.refresh();

    exporter.saveTo(folder.file("all.gpx"));
    ASSERT_TRUE(exporter.controller().exportAllToGPX());
    MemoryDocumentHost back;
    ASSERT_TRUE(importerFor(back, folder.file("all.gpx")).importGPX());
    ASSERT_EQ(back.documents().size(), 2u);
    EXPECT_EQ(back.documents()[0]->route()->routeName(), "Coast Run");
    EXPECT_EQ(describe(back.documents()[0]->waypointList()), asWritten(sampleWaypoints()));
    EXPECT_EQ(describe(back.documents()[1]->waypointList()), asWritten(sorted.waypointList()));

    exporter.saveTo(folder.file("route.kml"));
    ASSERT_TRUE(exporter.controller().exportKML());
    MemoryRouteDocument document;
    ASSERT_TRUE(importerFor(back, folder.file("route.kml")).importKMLforDocument(document, true));
    EXPECT_EQ(describe(document.waypointList()), asWritten(sampleWaypoints()));
    // KML written here names no document, so the route comes back unnamed.
    EXPECT_EQ(document.route()->routeName(), "(imported)");
}

} // namespace
} // namespace navora::test
