#include "io/IoTestSupport.h"

#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/Settings.h"
#include "io/ExportController.h"
#include "io/MemoryRouteDocument.h"
#include "io/MemoryWaypointDocument.h"
#include "model/DocumentArchive.h"
#include "support/LogCapture.h"

#include <cmath>

namespace navora::test {
namespace {

// Waypoints with every kind of field the formats carry; altitudes that are
// unknown come back as 0, which the formats write for them.
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

class RoundTrip : public ::testing::Test {
protected:
    RoundTrip()
        : m_settings(m_store)
    {
        m_settings.registerDefaults();
    }

    bool exportTo(ExchangeDocumentHost& host, const std::string& path, bool kml)
    {
        ExportController exporter(host, m_settings, m_center,
            [path](std::string_view, std::string_view) { return std::optional<std::string>(path); });
        return kml ? exporter.exportKML() : exporter.exportAllToGPX();
    }

    ScratchFolder m_folder;
    MemorySettingsStore m_store;
    Settings m_settings;
    NotificationCenter m_center;
};

TEST_F(RoundTrip, WaypointListThroughGpx)
{
    std::string error;
    ASSERT_TRUE(DocumentArchive::saveWaypointList(m_folder.path("in.nvw"), sampleWaypoints(), error)) << error;
    auto loaded = DocumentArchive::loadWaypointList(m_folder.path("in.nvw"), error);
    ASSERT_TRUE(loaded) << error;

    MemoryDocumentHost host;
    host.addDocument(std::make_unique<MemoryWaypointDocument>("in", *loaded));
    ASSERT_TRUE(exportTo(host, m_folder.path("list.gpx"), false));

    MemoryDocumentHost back;
    MemoryWaypointDocument document;
    ASSERT_TRUE(importerFor(back, m_folder.path("list.gpx")).importGPXforDocument(document, false));
    ASSERT_TRUE(DocumentArchive::saveWaypointList(m_folder.path("out.nvw"), document.waypointList(), error)) << error;
    auto reloaded = DocumentArchive::loadWaypointList(m_folder.path("out.nvw"), error);
    ASSERT_TRUE(reloaded) << error;

    WaypointList expected = sampleWaypoints();
    MemoryWaypointDocument sorted("sorted", expected);
    LogCapture quiet;
    sorted.refresh();
    EXPECT_EQ(describe(*reloaded), asWritten(sorted.waypointList()));
}

TEST_F(RoundTrip, RouteThroughKml)
{
    auto route = Route::create();
    route->setRouteName("Coast Run");
    route->setActiveIndex(2);
    route->setRouteWaypoints(sampleWaypoints());
    std::string error;
    ASSERT_TRUE(DocumentArchive::saveRoute(m_folder.path("in.nvr"), *route, error)) << error;
    RoutePtr loaded = DocumentArchive::loadRoute(m_folder.path("in.nvr"), error);
    ASSERT_TRUE(loaded) << error;

    MemoryDocumentHost host;
    host.setKeyDocument(host.addDocument(std::make_unique<MemoryRouteDocument>(loaded)));
    ASSERT_TRUE(exportTo(host, m_folder.path("route.kml"), true));

    MemoryDocumentHost back;
    MemoryRouteDocument document;
    ASSERT_TRUE(importerFor(back, m_folder.path("route.kml")).importKMLforDocument(document, true));
    EXPECT_EQ(describe(document.waypointList()), asWritten(route->routeWaypoints()));
    // KML written here names no document, so the route comes back unnamed.
    EXPECT_EQ(document.route()->routeName(), "(imported)");
}

TEST_F(RoundTrip, RouteThroughGpxKeepsItsName)
{
    MemoryDocumentHost host;
    auto route = Route::create();
    route->setRouteName("Coast Run");
    route->setRouteWaypoints(sampleWaypoints());
    host.addDocument(std::make_unique<MemoryRouteDocument>(route));
    ASSERT_TRUE(exportTo(host, m_folder.path("route.gpx"), false));

    MemoryDocumentHost back;
    ASSERT_TRUE(importerFor(back, m_folder.path("route.gpx")).importGPX());
    ASSERT_EQ(back.documents().size(), 1u);
    EXPECT_EQ(back.documents().front()->route()->routeName(), "Coast Run");
    EXPECT_EQ(describe(back.documents().front()->waypointList()), asWritten(route->routeWaypoints()));
}

} // namespace
} // namespace navora::test
