#include "io/IoTestSupport.h"

#include "io/ConvertCommand.h"
#include "io/MemoryWaypointDocument.h"
#include "model/DocumentArchive.h"
#include "support/LogCapture.h"

#include <sstream>
#include <sys/stat.h>

namespace navora::test {
namespace {

const std::string kGpx = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">"
                         "<wpt lat=\"2\" lon=\"3\"><ele>4</ele><name>W2</name><cmt>w</cmt></wpt>"
                         "<wpt lat=\"1\" lon=\"1\"><name>W1</name></wpt>"
                         "<rte><name>Out</name><rtept lat=\"5\" lon=\"6\"><name>O1</name></rtept>"
                         "<rtept lat=\"7\" lon=\"8\"><name>O2</name></rtept></rte>"
                         "<rte><name>Back</name><rtept lat=\"7\" lon=\"8\"><name>B1</name></rtept></rte></gpx>\n";
const std::string kKml = "<?xml version=\"1.0\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Document>"
                         "<name>Tour</name><Placemark><name>K2</name><Point><coordinates>1,2,3</coordinates></Point>"
                         "</Placemark><Placemark><name>K1</name><description>k</description><Point><coordinates>4,5"
                         "</coordinates></Point></Placemark></Document></kml>\n";

class Convert : public ::testing::Test {
protected:
    Convert()
        : m_settings(m_store)
    {
        m_settings.registerDefaults();
        m_gpx = m_folder.write("in.gpx", kGpx);
        m_kml = m_folder.write("in.kml", kKml);
    }

    int run(std::vector<std::string> arguments)
    {
        m_out.str({});
        m_err.str({});
        LogCapture quiet;
        return ConvertCommand(m_settings, m_out, m_err).run(arguments);
    }

    ScratchDirectory m_folder;
    MemorySettingsStore m_store;
    Settings m_settings;
    std::ostringstream m_out;
    std::ostringstream m_err;
    std::string m_gpx;
    std::string m_kml;
};

TEST_F(Convert, GpxAndKmlIntoDocumentsAndDocumentsIntoKmlAndGpx)
{
    const std::string list = m_folder.file("all.nvw");
    ASSERT_EQ(run({m_gpx, m_kml, list}), 0) << m_err.str();
    EXPECT_EQ(m_out.str(), list + ": 4 waypoints\n");
    std::string error;
    const auto waypoints = DocumentArchive::loadWaypointList(list, error);
    ASSERT_TRUE(waypoints) << error;
    EXPECT_EQ(describe(*waypoints),
        (std::vector<std::string>{"K1 | k | 5.000000 | 4.000000 | 0.000000", "K2 |  | 2.000000 | 1.000000 | 3.000000",
            "W1 |  | 1.000000 | 1.000000 | 0.000000", "W2 | w | 2.000000 | 3.000000 | 4.000000"}));

    // A route: chosen by name from a GPX file, or the only one of a file.
    const struct {
        std::vector<std::string> arguments;
        const char* name;
        std::vector<std::string> waypoints;
    } routes[] = {
        {{"--route", "Back", m_gpx, m_folder.file("back.nvr")}, "Back", {"B1 |  | 7.000000 | 8.000000 | 0.000000"}},
        {{"--route=Out", m_gpx, m_folder.file("out.nvr")}, "Out",
            {"O1 |  | 5.000000 | 6.000000 | 0.000000", "O2 |  | 7.000000 | 8.000000 | 0.000000"}},
        {{m_folder.write(
              "single.gpx", "<gpx><rte><name>Only</name><rtept lat=\"1\" lon=\"2\"><name>P</name></rtept></rte></gpx>"),
             m_folder.file("only.nvr")},
            "Only", {"P |  | 1.000000 | 2.000000 | 0.000000"}},
        {{m_kml, m_folder.file("tour.nvr")}, "Tour",
            {"K2 |  | 2.000000 | 1.000000 | 3.000000", "K1 | k | 5.000000 | 4.000000 | 0.000000"}},
    };
    for (const auto& row : routes) {
        ASSERT_EQ(run(row.arguments), 0) << m_err.str();
        const RoutePtr route = DocumentArchive::loadRoute(row.arguments.back(), error);
        ASSERT_TRUE(route) << error;
        EXPECT_EQ(route->routeName(), row.name);
        EXPECT_EQ(describe(route->routeWaypoints()), row.waypoints);
    }

    ASSERT_EQ(run({m_folder.file("out.nvr"), m_folder.file("out.kml")}), 0) << m_err.str();
    const std::string kml = fileBytes(m_folder.file("out.kml"));
    EXPECT_NE(kml.find("<color>ccff00ff</color>"), std::string::npos);
    EXPECT_NE(kml.find("<name>Out</name>"), std::string::npos);
    ASSERT_EQ(run({list, m_folder.file("out.nvr"), m_folder.file("all.gpx")}), 0) << m_err.str();
    MemoryDocumentHost host;
    ASSERT_TRUE(importerFor(host, m_folder.file("all.gpx")).importGPX());
    ASSERT_EQ(host.documents().size(), 2u);
    EXPECT_EQ(host.documents()[0]->route()->routeName(), "Out");
    EXPECT_EQ(describe(host.documents()[1]->waypointList()), describe(*waypoints));
}

TEST_F(Convert, AnyInputToAnyOutput)
{
    std::string error;
    ASSERT_EQ(run({"--route", "Out", m_gpx, m_folder.file("out.nvr")}), 0) << m_err.str();
    // What each output holds, read back through the importers and the archive.
    const auto gpxDocuments = [this](const std::string& path) {
        MemoryDocumentHost host;
        EXPECT_TRUE(importerFor(host, path).importGPX());
        std::vector<std::string> lines;
        for (const ExchangeDocument* document : host.documents()) {
            lines.push_back(document->route() ? "route " + document->route()->description() : "waypoints");
            for (const std::string& line : describe(document->waypointList()))
                lines.push_back(line);
        }
        return lines;
    };
    const std::string o1 = "O1 |  | 5.000000 | 6.000000 | 0.000000";
    const std::string o2 = "O2 |  | 7.000000 | 8.000000 | 0.000000";
    const std::string k1 = "K1 | k | 5.000000 | 4.000000 | 0.000000";
    const std::string k2 = "K2 |  | 2.000000 | 1.000000 | 3.000000";
    const std::string w1 = "W1 |  | 1.000000 | 1.000000 | 0.000000";
    const std::string w2 = "W2 | w | 2.000000 | 3.000000 | 4.000000";

    // GPX to GPX keeps every route and the free waypoints; KML to GPX adds
    // its placemarks to them.
    ASSERT_EQ(run({m_gpx, m_kml, m_folder.file("again.gpx")}), 0) << m_err.str();
    EXPECT_EQ(gpxDocuments(m_folder.file("again.gpx")),
        (std::vector<std::string>{
            "route Out", o1, o2, "route Back", "B1 |  | 7.000000 | 8.000000 | 0.000000", "waypoints", k1, k2, w1, w2}));

    // A route document's waypoints make a list; a list makes a route named after its file.
    ASSERT_EQ(run({m_folder.file("out.nvr"), m_folder.file("from-route.nvw")}), 0) << m_err.str();
    EXPECT_EQ(describe(DocumentArchive::loadWaypointList(m_folder.file("from-route.nvw"), error).value()),
        (std::vector<std::string>{o1, o2}));
    ASSERT_EQ(run({m_folder.file("from-route.nvw"), m_folder.file("from-list.nvr")}), 0) << m_err.str();
    const RoutePtr route = DocumentArchive::loadRoute(m_folder.file("from-list.nvr"), error);
    ASSERT_TRUE(route) << error;
    EXPECT_EQ(route->routeName(), "from-route");
    EXPECT_EQ(describe(route->routeWaypoints()), (std::vector<std::string>{o1, o2}));

    // KML and GPX straight to KML: the placemarks, or the route chosen.
    ASSERT_EQ(run({m_kml, m_folder.file("again.kml")}), 0) << m_err.str();
    ASSERT_EQ(run({"--route", "Back", m_gpx, m_folder.file("back.kml")}), 0) << m_err.str();
    for (const auto& [kml, expected] : {std::pair{std::string("again.kml"), std::vector<std::string>{k1, k2}},
             std::pair{std::string("back.kml"), std::vector<std::string>{"B1 |  | 7.000000 | 8.000000 | 0.000000"}}}) {
        MemoryDocumentHost host;
        MemoryWaypointDocument list;
        ASSERT_TRUE(importerFor(host, m_folder.file(kml)).importKMLforDocument(list, false)) << kml;
        EXPECT_EQ(describe(list.waypointList()), expected) << kml;
    }
}

struct BadCase {
    const char* label;
    std::vector<std::string> arguments;
    int status;
    std::string message;
};

TEST_F(Convert, BadInputEndsWithAMessageAndWritesNothing)
{
    const std::string broken = m_folder.write("broken.gpx", "<gpx><wpt lat=\"1\"");
    const std::string notArchive = m_folder.write("bad.nvw", "not an archive");
    const std::string existing = m_folder.write("existing.nvw", "old");
    // A pipe that nobody writes: reading it would wait for ever.
    const std::string fifo = m_folder.file("pipe.gpx");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::vector<BadCase> cases{
        {"NoOutput", {m_gpx}, 2, "give at least one input and the output"},
        {"UnknownOption", {"--fast", m_gpx, m_folder.file("x.nvw")}, 2, "unknown option --fast"},
        {"UnknownType", {m_gpx, m_folder.file("x.txt")}, 1, "unknown output type"},
        {"UnknownInputType", {m_folder.write("in.txt", "text"), m_folder.file("x.nvw")}, 1, "unknown input type"},
        {"TwoInputsForNvr", {m_gpx, m_kml, m_folder.file("x.nvr")}, 1, "a .nvr output is made from one input file"},
        {"SeveralRoutesForKml", {m_gpx, m_folder.file("x.kml")}, 1, "choose it with --route NAME"},
        {"SeveralRoutes", {m_gpx, m_folder.file("x.nvr")}, 1,
            "holds 2 routes (Out, Back); choose one with --route NAME"},
        {"NoSuchRoute", {"--route", "Nope", m_gpx, m_folder.file("x.nvr")}, 1, "no route named Nope"},
        {"RouteForKml", {"--route", "Out", m_kml, m_folder.file("x.nvr")}, 1, "--route picks a route of a .gpx file"},
        {"RouteForNvw", {"--route", "Out", m_gpx, m_folder.file("x.nvw")}, 1,
            "--route applies to a .nvr or .kml output only"},
        {"Fifo", {fifo, m_folder.file("x.nvw")}, 1, "cannot read " + fifo},
        {"BrokenInput", {m_kml, broken, existing}, 1, "cannot read " + broken},
        {"MissingInput", {m_folder.file("missing.gpx"), m_folder.file("x.nvw")}, 1, "cannot read"},
        {"UnreadableArchive", {notArchive, m_folder.file("x.kml")}, 1, "cannot read " + notArchive},
        {"UnwritableOutput", {m_gpx, m_folder.file("no/such/folder/x.nvw")}, 1, "cannot write"},
    };
    for (const BadCase& bad : cases) {
        SCOPED_TRACE(bad.label);
        EXPECT_EQ(run(bad.arguments), bad.status);
        EXPECT_NE(m_err.str().find(bad.message), std::string::npos) << m_err.str();
        EXPECT_EQ(m_out.str(), "");
    }
    EXPECT_EQ(fileBytes(existing), "old");
    for (const char* name : {"x.nvw", "x.nvr", "x.kml", "x.gpx", "x.txt"})
        EXPECT_FALSE(std::filesystem::exists(m_folder.file(name))) << name;
}

TEST_F(Convert, HelpAndQuiet)
{
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_EQ(m_out.str(), std::string(ConvertCommand::kUsage));
    LogCapture log;
    EXPECT_EQ(ConvertCommand(m_settings, m_out, m_err).run({"--quiet", m_kml, m_folder.file("q.nvw")}), 0);
    EXPECT_TRUE(log.lines().empty());
}

} // namespace
} // namespace navora::test
