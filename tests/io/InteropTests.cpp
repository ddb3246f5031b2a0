// GPSBabel as a peer: what Navora writes, GPSBabel reads with the same names,
// comments, positions and elevations; what GPSBabel writes (GPX 1.0, GPX 1.1
// and KML), Navora imports.
#include "io/IoTestSupport.h"

#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/Settings.h"
#include "io/ExportController.h"
#include "io/MemoryRouteDocument.h"
#include "io/MemoryWaypointDocument.h"
#include "support/LogCapture.h"

#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <cmath>

namespace navora::test {
namespace {

bool haveGpsBabel()
{
    return std::system("gpsbabel -V >/dev/null 2>&1") == 0;
}

bool gpsbabel(const std::string& arguments)
{
    return std::system(("gpsbabel " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

struct PeerPoint {
    std::string name;
    std::string comment;
    double latitude;
    double longitude;
    double elevation;
};

// The points of a GPX file written by GPSBabel, read with XPath on the whole
// document (independently of Navora's reader).
std::vector<PeerPoint> peerPoints(const std::string& path, const std::string& element)
{
    std::vector<PeerPoint> points;
    xmlDocPtr doc = xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET);
    if (doc == nullptr)
        return points;
    xmlXPathContextPtr context = xmlXPathNewContext(doc);
    const std::string query = "//*[local-name()='" + element + "']";
    xmlXPathObjectPtr result = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(query.c_str()), context);
    for (int i = 0; result != nullptr && result->nodesetval != nullptr && i < result->nodesetval->nodeNr; ++i) {
        xmlNode* node = result->nodesetval->nodeTab[i];
        PeerPoint point{"", "", 0.0, 0.0, 0.0};
        const auto attribute = [node](const char* name) {
            xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
            const double number = value != nullptr ? std::strtod(reinterpret_cast<const char*>(value), nullptr) : 0.0;
            xmlFree(value);
            return number;
        };
        point.latitude = attribute("lat");
        point.longitude = attribute("lon");
        for (xmlNode* child = node->children; child != nullptr; child = child->next) {
            if (child->type != XML_ELEMENT_NODE)
                continue;
            xmlChar* text = xmlNodeGetContent(child);
            const std::string value = reinterpret_cast<const char*>(text);
            xmlFree(text);
            const std::string name = reinterpret_cast<const char*>(child->name);
            if (name == "name")
                point.name = value;
            else if (name == "cmt")
                point.comment = value;
            else if (name == "ele")
                point.elevation = std::strtod(value.c_str(), nullptr);
        }
        points.push_back(point);
    }
    xmlXPathFreeObject(result);
    xmlXPathFreeContext(context);
    xmlFreeDoc(doc);
    return points;
}

void expectSamePoints(const std::vector<PeerPoint>& peer, const WaypointList& ours)
{
    ASSERT_EQ(peer.size(), ours.size());
    for (size_t i = 0; i < ours.size(); ++i) {
        const WaypointSnapshot s = ours[i]->snapshot();
        EXPECT_EQ(peer[i].name, s.wpName);
        EXPECT_EQ(peer[i].comment, s.wpComment);
        EXPECT_NEAR(peer[i].latitude, s.latitude, 1e-6) << s.wpName;
        EXPECT_NEAR(peer[i].longitude, s.longitude, 1e-6) << s.wpName;
        EXPECT_NEAR(peer[i].elevation, s.altitude, 1e-3) << s.wpName;
    }
}

// GPSBabel writes a waypoint's name where its comment is empty, so every
// sample has a comment.
WaypointList samples()
{
    return {Waypoint::create("Quay", "Start at the quay", 50.3655f, -4.1427f, 12.0f),
        Waypoint::create("Opéra Ø", "Größe <groß> & «quoted»", -33.8568f, 151.2153f, 4.0f),
        Waypoint::create("Reykjavík", "Below sea level", 64.1466f, -21.9426f, -3.25f),
        Waypoint::create("Summit", "High", 27.9881f, 86.925f, 8848.5f)};
}

class GpsBabelPeer : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!haveGpsBabel())
            GTEST_SKIP() << "gpsbabel is not installed";
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
    Settings m_settings{m_store};
    NotificationCenter m_center;
    LogCapture m_quiet;
};

TEST_F(GpsBabelPeer, ReadsOurGpx)
{
    MemoryDocumentHost host;
    host.addDocument(std::make_unique<MemoryWaypointDocument>("List", samples()));
    auto route = Route::create();
    route->setRouteName("Coast Run");
    route->setRouteWaypoints(samples());
    host.addDocument(std::make_unique<MemoryRouteDocument>(route));
    ASSERT_TRUE(exportTo(host, m_folder.path("ours.gpx"), false));

    ASSERT_TRUE(
        gpsbabel("-i gpx -f " + m_folder.path("ours.gpx") + " -o gpx,gpxver=1.1 -F " + m_folder.path("peer.gpx")));
    expectSamePoints(peerPoints(m_folder.path("peer.gpx"), "wpt"), samples());
    expectSamePoints(peerPoints(m_folder.path("peer.gpx"), "rtept"), samples());
}

TEST_F(GpsBabelPeer, ReadsOurKml)
{
    for (const bool asRoute : {false, true}) {
        MemoryDocumentHost host;
        if (asRoute) {
            auto route = Route::create();
            route->setRouteName("Coast Run");
            route->setRouteWaypoints(samples());
            host.setKeyDocument(host.addDocument(std::make_unique<MemoryRouteDocument>(route)));
        } else {
            host.setKeyDocument(host.addDocument(std::make_unique<MemoryWaypointDocument>("List", samples())));
        }
        ASSERT_TRUE(exportTo(host, m_folder.path("ours.kml"), true));
        ASSERT_TRUE(gpsbabel("-i kml -f " + m_folder.path("ours.kml") + " -o gpx -F " + m_folder.path("peer.gpx")));
        expectSamePoints(peerPoints(m_folder.path("peer.gpx"), "wpt"), samples());
    }
}

TEST_F(GpsBabelPeer, WritesWhatWeImport)
{
    MemoryDocumentHost host;
    host.addDocument(std::make_unique<MemoryWaypointDocument>("List", samples()));
    auto route = Route::create();
    route->setRouteName("Coast Run");
    route->setRouteWaypoints(samples());
    host.addDocument(std::make_unique<MemoryRouteDocument>(route));
    ASSERT_TRUE(exportTo(host, m_folder.path("source.gpx"), false));

    MemoryWaypointDocument sorted("sorted", samples());
    sorted.refresh();
    for (const std::string_view format : {"gpx,gpxver=1.0", "gpx,gpxver=1.1"}) {
        SCOPED_TRACE(format);
        const std::string peer = m_folder.path("peer-" + std::string(format.substr(format.size() - 3)) + ".gpx");
        ASSERT_TRUE(
            gpsbabel("-i gpx -f " + m_folder.path("source.gpx") + " -o " + std::string(format) + " -F " + peer));
        MemoryDocumentHost imported;
        ASSERT_TRUE(importerFor(imported, peer).importGPX());
        const auto documents = imported.documents();
        ASSERT_EQ(documents.size(), 2u);
        EXPECT_EQ(documents[0]->route()->routeName(), "Coast Run");
        EXPECT_EQ(describe(documents[0]->waypointList()), describe(samples()));
        EXPECT_EQ(describe(documents[1]->waypointList()), describe(sorted.waypointList()));
    }

    ASSERT_TRUE(gpsbabel("-i gpx -f " + m_folder.path("source.gpx") + " -o kml -F " + m_folder.path("peer.kml")));
    MemoryDocumentHost imported;
    MemoryWaypointDocument list;
    ASSERT_TRUE(importerFor(imported, m_folder.path("peer.kml")).importKMLforDocument(list, false));
    // GPSBabel's KML holds the waypoints and the route's points, and writes
    // altitudes with two decimals and HTML tables as route point descriptions.
    std::vector<std::string> names;
    for (const WaypointPtr& waypoint : list.waypointList())
        names.push_back(waypoint->wpName());
    std::vector<std::string> expected;
    for (const WaypointPtr& waypoint : sorted.waypointList())
        expected.push_back(waypoint->wpName());
    EXPECT_EQ(names, expected);
    for (const WaypointPtr& waypoint : list.waypointList()) {
        const auto original = std::find_if(sorted.waypointList().begin(), sorted.waypointList().end(),
            [&](const WaypointPtr& candidate) { return candidate->wpName() == waypoint->wpName(); });
        ASSERT_NE(original, sorted.waypointList().end());
        EXPECT_EQ(waypoint->latitude(), (*original)->latitude());
        EXPECT_EQ(waypoint->longitude(), (*original)->longitude());
        EXPECT_NEAR(waypoint->altitude(), (*original)->altitude(), 0.005);
    }
}

} // namespace
} // namespace navora::test
