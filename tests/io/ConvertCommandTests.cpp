#include "io/IoTestSupport.h"

#include "io/ConvertCommand.h"
#include "model/DocumentArchive.h"

#include <sstream>

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

// What a converted file holds, read back through the archive or the importers.
std::vector<std::string> contents(const std::string& path)
{
    std::string error;
    std::vector<std::string> lines;
    const auto add = [&lines](const std::string& head, const WaypointList& list) {
        if (!head.empty())
            lines.push_back(head);
        for (const std::string& line : describe(list))
            lines.push_back(line);
    };
    MemoryDocumentHost host;
    if (path.ends_with(".nvw")) {
        add("", DocumentArchive::loadWaypointList(path, error).value_or(WaypointList{}));
    } else if (const RoutePtr route = path.ends_with(".nvr") ? DocumentArchive::loadRoute(path, error) : nullptr) {
        add("route " + route->description(), route->routeWaypoints());
    } else if (MemoryWaypointDocument list;
               path.ends_with(".kml") && importerFor(host, path).importKMLforDocument(list, false)) {
        add("", list.waypointList());
    } else if (path.ends_with(".gpx") && importerFor(host, path).importGPX()) {
        for (const ExchangeDocument* document : host.documents())
            add(document->route() ? "route " + document->route()->description() : "waypoints",
                document->waypointList());
    }
    return lines;
}

// Each run reads what earlier ones wrote: every input type into every output.
TEST_F(Convert, AnyInputToAnyOutput)
{
    const std::string o1 = "O1 |  | 5.000000 | 6.000000 | 0.000000";
    const std::string o2 = "O2 |  | 7.000000 | 8.000000 | 0.000000";
    const std::string b1 = "B1 |  | 7.000000 | 8.000000 | 0.000000";
    const std::string k1 = "K1 | k | 5.000000 | 4.000000 | 0.000000";
    const std::string k2 = "K2 |  | 2.000000 | 1.000000 | 3.000000";
    const std::string w1 = "W1 |  | 1.000000 | 1.000000 | 0.000000";
    const std::string w2 = "W2 | w | 2.000000 | 3.000000 | 4.000000";
    const std::string single = m_folder.write(
        "single.gpx", "<gpx><rte><name>Only</name><rtept lat=\"1\" lon=\"2\"><name>P</name></rtept></rte></gpx>");
    const auto out = [this](const char* name) { return m_folder.file(name).string(); };
    using Lines = std::vector<std::string>;
    const struct {
        std::vector<std::string> arguments;
        Lines expected;
    } rows[] = {
        {{m_gpx, m_kml, out("all.nvw")}, {k1, k2, w1, w2}},
        // A route: chosen by name from a GPX file, or the only one of a file.
        {{"--route", "Back", m_gpx, out("back.nvr")}, {"route Back", b1}},
        {{"--route=Out", m_gpx, out("out.nvr")}, {"route Out", o1, o2}},
        {{single, out("only.nvr")}, {"route Only", "P |  | 1.000000 | 2.000000 | 0.000000"}},
        {{m_kml, out("tour.nvr")}, {"route Tour", k2, k1}},
        {{out("out.nvr"), out("out.kml")}, {o1, o2}},
        {{out("all.nvw"), out("out.nvr"), out("all.gpx")}, {"route Out", o1, o2, "waypoints", k1, k2, w1, w2}},
        // GPX to GPX keeps every route and the free waypoints, with KML's placemarks added.
        {{m_gpx, m_kml, out("again.gpx")}, {"route Out", o1, o2, "route Back", b1, "waypoints", k1, k2, w1, w2}},
        // A route document's waypoints make a list; a list makes a route named after its file.
        {{out("out.nvr"), out("from-route.nvw")}, {o1, o2}},
        {{out("from-route.nvw"), out("from-list.nvr")}, {"route from-route", o1, o2}},
        {{m_kml, out("again.kml")}, {k1, k2}},
        {{"--route", "Back", m_gpx, out("back.kml")}, {b1}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.back());
        ASSERT_EQ(run(row.arguments), 0) << m_err.str();
        EXPECT_EQ(contents(row.arguments.back()), row.expected);
        if (&row == rows) {
            EXPECT_EQ(m_out.str(), out("all.nvw") + ": 4 waypoints\n");
        }
    }
    EXPECT_NE(fileBytes(out("out.kml")).find("<color>ccff00ff</color>"), std::string::npos);
}

TEST_F(Convert, BadInputEndsWithAMessageAndWritesNothing)
{
    const std::string broken = m_folder.write("broken.gpx", "<gpx><wpt lat=\"1\"");
    const std::string notArchive = m_folder.write("bad.nvw", "not an archive");
    const std::string existing = m_folder.write("existing.nvw", "old");
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    } cases[] = {{{m_gpx}, 2, "give at least one input and the output"},
        {{"--fast", m_gpx, m_folder.file("x.nvw")}, 2, "unknown option --fast"},
        {{m_gpx, m_folder.file("x.txt")}, 1, "unknown output type"},
        {{m_folder.write("in.txt", "text"), m_folder.file("x.nvw")}, 1, "unknown input type"},
        {{m_gpx, m_kml, m_folder.file("x.nvr")}, 1, "a .nvr output is made from one input file"},
        {{m_gpx, m_folder.file("x.kml")}, 1, "choose it with --route NAME"},
        {{m_gpx, m_folder.file("x.nvr")}, 1, "holds 2 routes (Out, Back); choose one with --route NAME"},
        {{"--route", "Nope", m_gpx, m_folder.file("x.nvr")}, 1, "no route named Nope"},
        {{"--route", "Out", m_kml, m_folder.file("x.nvr")}, 1, "--route picks a route of a .gpx file"},
        {{"--route", "Out", m_gpx, m_folder.file("x.nvw")}, 1, "--route applies to a .nvr or .kml output only"},
        {{m_kml, broken, existing}, 1, "cannot read " + broken},
        {{m_folder.file("missing.gpx"), m_folder.file("x.nvw")}, 1, "cannot read"},
        {{notArchive, m_folder.file("x.kml")}, 1, "cannot read " + notArchive},
        {{m_gpx, m_folder.file("no/such/folder/x.nvw")}, 1, "cannot write"}};
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.message);
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
    EXPECT_EQ(m_out.str().rfind("Usage: navora convert", 0), 0u);
    LogCapture log;
    EXPECT_EQ(ConvertCommand(m_settings, m_out, m_err).run({"--quiet", m_kml, m_folder.file("q.nvw")}), 0);
    EXPECT_TRUE(log.lines().empty());
}

} // namespace
} // namespace navora::test
