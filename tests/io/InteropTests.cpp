// GPSBabel as a peer: what Navora writes, GPSBabel reads with the same names,
// comments, positions, elevations and times. What GPSBabel writes is read by
// the golden inputs gpsbabel-1.0.gpx, gpsbabel-1.1.gpx and gpsbabel.kml.
#include "io/IoTestSupport.h"

#include <cstdio>
#include <cstring>

namespace navora::test {
namespace {

class GpsBabelPeer : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::system("gpsbabel -V >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "gpsbabel is not installed";
    }

    // Every point GPSBabel reads from the file, one line each: the fields
    // (GPSBabel's xcsv names and formats) joined by "|".
    std::vector<std::string> peerRead(const std::string& format, const std::string& path,
        const std::vector<std::string>& fields
        = {"SHORTNAME %s", "DESCRIPTION %s", "LAT_DECIMAL %.9f", "LON_DECIMAL %.9f", "ALT_METERS %.3f"})
    {
        std::string style = "FIELD_DELIMITER PIPE\nRECORD_DELIMITER NEWLINE\nBADCHARS PIPE\n";
        for (const std::string& field : fields)
            style += "OFIELD " + field.substr(0, field.find(' ')) + ", \"\", \"" + field.substr(field.find(' ') + 1)
                + "\"\n";
        const std::string command = "gpsbabel -i " + format + " -f " + path
            + " -o xcsv,style=" + m_folder.write("peer.style", style) + " -F - 2>/dev/null";
        std::vector<std::string> lines;
        FILE* pipe = ::popen(command.c_str(), "r");
        char line[4096];
        while (pipe != nullptr && std::fgets(line, sizeof line, pipe) != nullptr)
            lines.emplace_back(line, std::strcspn(line, "\n"));
        EXPECT_TRUE(pipe != nullptr && ::pclose(pipe) == 0) << command;
        return lines;
    }

    ScratchDirectory m_folder;
    LogCapture m_quiet;
    Exporter m_exporter;
};

TEST_F(GpsBabelPeer, ReadsWhatNavoraWrites)
{
    // GPSBabel writes a waypoint's name where its comment is empty, so every sample has a comment.
    const WaypointList samples{Waypoint::create("Quay", "Start at the quay", 50.3655f, -4.1427f, 12.0f),
        Waypoint::create("Opéra Ø", "Größe <groß> & «quoted»", -33.8568f, 151.2153f, 4.0f),
        Waypoint::create("Reykjavík", "Below sea level", 64.1466f, -21.9426f, -3.25f),
        Waypoint::create("Summit", "High", 27.9881f, 86.925f, 8848.5f)};
    const std::vector<std::string> expected = {"Quay|Start at the quay|50.365500000|-4.142700000|12.000",
        "Opéra Ø|Größe <groß> & «quoted»|-33.856800000|151.215300000|4.000",
        "Reykjavík|Below sea level|64.146600000|-21.942600000|-3.250",
        "Summit|High|27.988100000|86.925000000|8848.500"};
    auto route = Route::create();
    route->setRouteName("Coast Run");
    route->setRouteWaypoints(samples);
    ExchangeDocument* list = m_exporter.host.addDocument(std::make_unique<MemoryWaypointDocument>("List", samples));
    ExchangeDocument* routeDocument = m_exporter.host.addDocument(std::make_unique<MemoryRouteDocument>(route));

    m_exporter.saveTo = m_folder.file("ours.gpx").string();
    ASSERT_TRUE(m_exporter.controller.exportAllToGPX());
    std::vector<std::string> twice = expected;
    twice.insert(twice.end(), expected.begin(), expected.end());
    EXPECT_EQ(peerRead("gpx", *m_exporter.saveTo), twice);
    m_exporter.saveTo = m_folder.file("ours.kml").string();
    for (ExchangeDocument* document : {list, routeDocument}) {
        m_exporter.host.setKeyDocument(document);
        ASSERT_TRUE(m_exporter.controller.exportKML());
        std::vector<std::string> points = peerRead("kml", *m_exporter.saveTo);
        points.resize(std::min(points.size(), expected.size())); // a route's line follows its placemarks
        EXPECT_EQ(points, expected) << document->displayName();
    }
}

// A recorded track: valid GPX 1.1 that GPSBabel reads point for point.
TEST_F(GpsBabelPeer, ReadsATrackNavoraRecorded)
{
    m_exporter.saveTo = m_folder.file("track.gpx").string();
    ASSERT_TRUE(m_exporter.controller.exportTrack(
        {{1720859406.0, 47.5426200, 9.6843800, 396.5, 0.0}, {1720859466.9, 47.5401234, 9.6800001, 397.1, 12.3},
            {1720859526.0, -33.8568000, -151.2153000, -2.0, 5.0}},
        "Evening <sail> & back"));
    const std::string validate
        = "xmllint --nonet --noout --schema " + ioDataPath("gpx.xsd") + " " + *m_exporter.saveTo + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(validate.c_str()), 0);
    EXPECT_EQ(peerRead("gpx", *m_exporter.saveTo,
                  {"LAT_DECIMAL %.9f", "LON_DECIMAL %.9f", "ALT_METERS %.3f", "GMT_TIME %Y-%m-%dT%H:%M:%SZ"}),
        (std::vector<std::string>{"47.542620000|9.684380000|396.500|2024-07-13T08:30:06Z",
            "47.540123400|9.680000100|397.100|2024-07-13T08:31:06Z",
            "-33.856800000|-151.215300000|-2.000|2024-07-13T08:32:06Z"}));
}

} // namespace
} // namespace navora::test
