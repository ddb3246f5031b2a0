// GPSBabel as a peer: what Navora writes, GPSBabel reads with the same names,
// comments, positions and elevations. What GPSBabel writes is read by the
// golden inputs gpsbabel-1.0.gpx, gpsbabel-1.1.gpx and gpsbabel.kml.
#include "io/IoTestSupport.h"

#include "io/MemoryRouteDocument.h"
#include "io/MemoryWaypointDocument.h"
#include "support/LogCapture.h"

#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <cmath>
#include <fstream>

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
        // Our shortest texts read back as the stored floats.
        EXPECT_EQ(static_cast<float>(peer[i].latitude), s.latitude) << s.wpName;
        EXPECT_EQ(static_cast<float>(peer[i].longitude), s.longitude) << s.wpName;
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
    }

    // Exports a list and a route of the samples: all to GPX, or one to KML.
    std::string exported(const std::string& name, int kmlOf)
    {
        Exporter exporter;
        auto route = Route::create();
        route->setRouteName("Coast Run");
        route->setRouteWaypoints(samples());
        ExchangeDocument* list
            = exporter.host().addDocument(std::make_unique<MemoryWaypointDocument>("List", samples()));
        ExchangeDocument* routeDocument = exporter.host().addDocument(std::make_unique<MemoryRouteDocument>(route));
        exporter.host().setKeyDocument(kmlOf == 1 ? list : routeDocument);
        exporter.saveTo(m_folder.file(name));
        EXPECT_TRUE(kmlOf == 0 ? exporter.controller().exportAllToGPX() : exporter.controller().exportKML());
        return m_folder.file(name);
    }

    ScratchDirectory m_folder;
    LogCapture m_quiet;
};

TEST_F(GpsBabelPeer, ReadsWhatNavoraWrites)
{
    const struct {
        const char* label;
        int kmlOf; // 0: everything to GPX, 1: the list to KML, 2: the route to KML
        const char* format;
        std::vector<const char*> elements;
    } rows[] = {
        {"GPX", 0, "gpx", {"wpt", "rtept"}},
        {"KML of a list", 1, "kml", {"wpt"}},
        {"KML of a route", 2, "kml", {"wpt"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const std::string ours = exported(std::string("ours.") + row.format, row.kmlOf);
        const std::string peer = m_folder.file("peer.gpx");
        ASSERT_TRUE(gpsbabel(std::string("-i ") + row.format + " -f " + ours + " -o gpx,gpxver=1.1 -F " + peer));
        for (const char* element : row.elements)
            expectSamePoints(peerPoints(peer, element), samples());
    }
}

// A recorded track: valid GPX 1.1 that GPSBabel reads point for point.
TEST_F(GpsBabelPeer, ReadsATrackNavoraRecorded)
{
    const std::vector<TrackPoint> track = {
        {1720859406.0, 47.5426200, 9.6843800, 396.5, 0.0},
        {1720859466.0, 47.5401234, 9.6800001, 397.1, 12.3},
        {1720859526.0, -33.8568000, -151.2153000, -2.0, 5.0},
    };
    Exporter exporter;
    const std::string ours = m_folder.file("track.gpx");
    exporter.saveTo(ours);
    ASSERT_TRUE(exporter.controller().exportTrack(track, "Evening <sail> & back"));
    const std::string validate
        = "xmllint --nonet --noout --schema " + ioDataPath("gpx.xsd") + " " + ours + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(validate.c_str()), 0);
    const std::string peer = m_folder.file("peer.gpx");
    ASSERT_TRUE(gpsbabel("-t -i gpx -f " + ours + " -o gpx,gpxver=1.1 -F " + peer));
    const std::vector<PeerPoint> points = peerPoints(peer, "trkpt");
    ASSERT_EQ(points.size(), track.size());
    for (size_t i = 0; i < track.size(); ++i) {
        EXPECT_NEAR(points[i].latitude, track[i].latitude, 1e-7) << i;
        EXPECT_NEAR(points[i].longitude, track[i].longitude, 1e-7) << i;
        EXPECT_NEAR(points[i].elevation, track[i].altitude, 1e-3) << i;
    }
    std::ifstream written(peer);
    const std::string text((std::istreambuf_iterator<char>(written)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("<time>2024-07-13T08:31:06Z</time>"), std::string::npos);
    EXPECT_NE(text.find("Evening &lt;sail&gt; &amp; back"), std::string::npos);
}

} // namespace
} // namespace navora::test
