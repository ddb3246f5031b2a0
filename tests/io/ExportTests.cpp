#include "io/IoTestSupport.h"

#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"
#include "io/ExportController.h"
#include "io/GpxExport.h"
#include "io/KmlExport.h"
#include "io/MemoryRouteDocument.h"
#include "io/MemoryWaypointDocument.h"
#include "support/LogCapture.h"

#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <clocale>
#include <cmath>
#include <csignal>
#include <sys/resource.h>

namespace navora::test {
namespace {

constexpr float kUnknown = std::numeric_limits<float>::quiet_NaN();

// The strings an XPath query selects in an XML text (namespaces ignored).
std::vector<std::string> select(const std::string& xml, const std::string& query)
{
    std::vector<std::string> strings;
    xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, XML_PARSE_NONET);
    EXPECT_NE(doc, nullptr) << xml.substr(0, 400);
    if (doc == nullptr)
        return strings;
    xmlXPathContextPtr context = xmlXPathNewContext(doc);
    xmlXPathObjectPtr result = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(query.c_str()), context);
    if (result != nullptr && result->type != XPATH_NODESET) {
        xmlChar* text = xmlXPathCastToString(result);
        strings.emplace_back(reinterpret_cast<const char*>(text));
        xmlFree(text);
    }
    for (int i = 0; result != nullptr && result->nodesetval != nullptr && i < result->nodesetval->nodeNr; ++i) {
        xmlChar* text = xmlXPathCastNodeToString(result->nodesetval->nodeTab[i]);
        strings.emplace_back(reinterpret_cast<const char*>(text));
        xmlFree(text);
    }
    xmlXPathFreeObject(result);
    xmlXPathFreeContext(context);
    xmlFreeDoc(doc);
    return strings;
}

std::string childNames(const std::string& xml, const std::string& query)
{
    std::string names;
    xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, XML_PARSE_NONET);
    if (doc == nullptr)
        return "(not XML)";
    xmlXPathContextPtr context = xmlXPathNewContext(doc);
    xmlXPathObjectPtr result = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(query.c_str()), context);
    for (int i = 0; result != nullptr && result->nodesetval != nullptr && i < result->nodesetval->nodeNr; ++i) {
        const xmlNode* node = result->nodesetval->nodeTab[i];
        names += (names.empty() ? "" : " ") + std::string(reinterpret_cast<const char*>(node->name));
    }
    xmlXPathFreeObject(result);
    xmlXPathFreeContext(context);
    xmlFreeDoc(doc);
    return names;
}

class Exporter {
public:
    Exporter()
        : m_settings(m_store)
    {
        m_settings.registerDefaults();
    }

    ExportController& controller()
    {
        if (!m_controller) {
            m_controller = std::make_unique<ExportController>(
                m_host, m_settings, m_center, [this](std::string_view extension, std::string_view title) {
                    m_extension = extension;
                    m_title = title;
                    return m_target;
                });
        }
        return *m_controller;
    }

    MemoryDocumentHost& host() { return m_host; }
    Settings& settings() { return m_settings; }
    NotificationCenter& center() { return m_center; }
    const std::string& title() const { return m_title; }
    const std::string& extension() const { return m_extension; }
    void saveTo(std::optional<std::string> path) { m_target = std::move(path); }

private:
    MemorySettingsStore m_store;
    Settings m_settings;
    NotificationCenter m_center;
    MemoryDocumentHost m_host;
    std::unique_ptr<ExportController> m_controller;
    std::optional<std::string> m_target;
    std::string m_title = "(not asked)";
    std::string m_extension;
};

WaypointList waypoints(std::initializer_list<std::tuple<const char*, const char*, float, float, float>> rows)
{
    WaypointList list;
    for (const auto& [name, comment, latitude, longitude, altitude] : rows)
        list.push_back(Waypoint::create(name, comment, latitude, longitude, altitude));
    return list;
}

RoutePtr routeOf(const std::string& name, WaypointList list)
{
    auto route = Route::create();
    route->setRouteName(name);
    route->setRouteWaypoints(std::move(list));
    return route;
}

TEST(KmlExport, AWaypointListAsPointPlacemarks)
{
    const std::string xml = KmlExport::waypointList(
        waypoints({{"A", "", 51.5f, -0.25f, 12.0f}, {"B & <C>", "two\nlines", -33.5f, 151.25f, kUnknown}}));
    EXPECT_EQ(childNames(xml, "/*"), "kml");
    EXPECT_EQ(select(xml, "namespace-uri(/*)"), std::vector<std::string>{"http://earth.google.com/kml/2.0"});
    EXPECT_EQ(childNames(xml, "/*/*"), "Document");
    EXPECT_EQ(childNames(xml, "/*/*/*"), "Placemark Placemark");
    EXPECT_EQ(childNames(xml, "//*[local-name()='Placemark'][1]/*"), "name description Point");
    EXPECT_EQ(select(xml, "//*[local-name()='name']"), (std::vector<std::string>{"A", "B & <C>"}));
    EXPECT_EQ(select(xml, "//*[local-name()='description']"), (std::vector<std::string>{"", "two\nlines"}));
    EXPECT_EQ(select(xml, "//*[local-name()='coordinates']"),
        (std::vector<std::string>{"-0.250000,51.500000,12.000000", "151.250000,-33.500000,0.000000"}));
    EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", 0), 0u);
}

struct AltitudeCase {
    const char* label;
    std::vector<float> altitudes;
    const char* mode;
};

void PrintTo(const AltitudeCase& row, std::ostream* out)
{
    *out << row.label;
}

class KmlRouteLine : public ::testing::TestWithParam<AltitudeCase> { };

TEST_P(KmlRouteLine, IsAbsoluteOnlyWhenEveryAltitudeIsKnownAndNotZero)
{
    WaypointList list;
    std::vector<std::string> lines;
    for (size_t i = 0; i < GetParam().altitudes.size(); ++i) {
        const float altitude = GetParam().altitudes[i];
        list.push_back(Waypoint::create("P" + std::to_string(i), "", 10.0f + static_cast<float>(i), -1.5f, altitude));
        lines.push_back("-1.500000," + NumberText::formatFixed(10.0f + static_cast<float>(i)) + ","
            + NumberText::formatFixed(std::isnan(altitude) ? 0.0f : altitude));
    }
    const std::string xml = KmlExport::route(*routeOf("Coast Run", list), "ccff00ff", {});
    const std::string line = "//*[local-name()='LineString']";
    EXPECT_EQ(select(xml, line + "/*[local-name()='altitudeMode']"), std::vector<std::string>{GetParam().mode});
    std::string coordinates;
    for (const std::string& text : lines)
        coordinates += text + "\n";
    EXPECT_EQ(select(xml, line + "/*[local-name()='coordinates']"), std::vector<std::string>{coordinates});
    EXPECT_EQ(select(xml, "//*[local-name()='Point']/*[local-name()='coordinates']"), lines);
}

INSTANTIATE_TEST_SUITE_P(Altitudes, KmlRouteLine,
    ::testing::Values(AltitudeCase{"AllKnown", {120.0f, 95.0f, 130.0f}, "absolute"},
        AltitudeCase{"OneZero", {120.0f, 0.0f, 130.0f}, "clampedToGround"},
        AltitudeCase{"OneUnknown", {120.0f, kUnknown, 130.0f}, "clampedToGround"},
        AltitudeCase{"FortyHigh", std::vector<float>(40, 3000.0f), "absolute"},
        AltitudeCase{"FortyLastZero",
            [] {
                std::vector<float> altitudes(40, 3000.0f);
                altitudes.back() = 0.0f;
                return altitudes;
            }(),
            "clampedToGround"},
        AltitudeCase{"NoWaypoints", {}, "absolute"}),
    [](const auto& row) { return std::string(row.param.label); });

TEST(KmlExport, ARouteWithItsStyleAndLine)
{
    const std::string xml = KmlExport::route(
        *routeOf("Coast Run", waypoints({{"A", "a", 1.0f, 2.0f, 3.0f}, {"B", "", 4.0f, 5.0f, 6.0f}})), "ccff00ff", {});
    EXPECT_EQ(childNames(xml, "/*/*/*"), "Style Placemark Placemark Placemark");
    EXPECT_EQ(select(xml, "//*[local-name()='Style']/@id"), std::vector<std::string>{"routeStyle"});
    EXPECT_EQ(childNames(xml, "//*[local-name()='Style']//*"), "LineStyle color width");
    EXPECT_EQ(select(xml, "//*[local-name()='color']"), std::vector<std::string>{"ccff00ff"});
    EXPECT_EQ(select(xml, "//*[local-name()='width']"), std::vector<std::string>{"4"});
    const std::string line = "/*/*/*[local-name()='Placemark'][3]";
    EXPECT_EQ(childNames(xml, line + "/*"), "name styleUrl LineString");
    EXPECT_EQ(childNames(xml, line + "/*[local-name()='LineString']/*"), "tessellate altitudeMode coordinates");
    EXPECT_EQ(select(xml, line + "/*[local-name()='name']"), std::vector<std::string>{"Coast Run"});
    EXPECT_EQ(select(xml, line + "/*[local-name()='styleUrl']"), std::vector<std::string>{"#routeStyle"});
    EXPECT_EQ(select(xml, line + "//*[local-name()='tessellate']"), std::vector<std::string>{"1"});
}

TEST(KmlExport, AStyleThatDoesNotParseIsLeftOut)
{
    std::vector<std::string> errors;
    const std::string xml
        = KmlExport::route(*routeOf("R", {}), "<oops", [&](std::string_view error) { errors.emplace_back(error); });
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(childNames(xml, "/*/*/*"), "Placemark");
}

struct ColourCase {
    const char* label;
    RouteColour colour;
    const char* text;
};

void PrintTo(const ColourCase& row, std::ostream* out)
{
    *out << row.label;
}

class RouteColourText : public ::testing::TestWithParam<ColourCase> { };

TEST_P(RouteColourText, IsAlphaBlueGreenRed)
{
    EXPECT_EQ(ExportController::routeColourText(GetParam().colour), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Colours, RouteColourText,
    ::testing::Values(ColourCase{"Default", RouteColour::routeDefault(), "ccff00ff"},
        ColourCase{"Half", {0.5, 0.5, 0.5, 0.5}, "7f7f7f7f"}, ColourCase{"Fifth", {0.2, 0.2, 0.2, 1.0}, "ff333333"},
        ColourCase{"Order", {1.0, 0.0, 0.2, 0.8}, "cc3300ff"},
        ColourCase{"KeptWithinRange", {-1.0, 2.0, std::nan(""), 1.5}, "ff00ff00"}),
    [](const auto& row) { return std::string(row.param.label); });

TEST(ExportController, FollowsTheRouteColourSetting)
{
    Exporter exporter;
    exporter.settings().setColour(TRVRouteColourKey, {0.0, 1.0, 0.0, 0.5});
    ExportController& controller = exporter.controller();
    EXPECT_EQ(controller.routeColour(), "7f00ff00");

    ControlState well;
    well.colour = RouteColour{0.0, 0.0, 1.0, 1.0}.translucentIfOpaque();
    exporter.center().post(TRVRouteColourChanged, well);
    EXPECT_EQ(controller.routeColour(), "ccff0000");

    ScratchFolder folder;
    exporter.saveTo(folder.path("route.kml"));
    MemoryRouteDocument document(routeOf("R", waypoints({{"A", "", 1.0f, 2.0f, 3.0f}})));
    ASSERT_TRUE(controller.exportKMLfromRouteDoc(document));
    EXPECT_EQ(
        select(readBytes(folder.path("route.kml")), "//*[local-name()='color']"), std::vector<std::string>{"ccff0000"});

    LogCapture log;
    exporter.center().post(TRVRouteColourChanged);
    EXPECT_EQ(controller.routeColour(), "ccff0000");
    EXPECT_EQ(log.lines().size(), 1u);
}

TEST(ExportController, TheDocumentInFrontDecidesTheKml)
{
    Exporter exporter;
    ScratchFolder folder;
    exporter.saveTo(folder.path("out.kml"));
    auto* list = exporter.host().addDocument(
        std::make_unique<MemoryWaypointDocument>("Harbour", waypoints({{"A", "", 1.0f, 2.0f, 3.0f}})));
    auto* route = exporter.host().addDocument(std::make_unique<MemoryRouteDocument>(routeOf("Coast", {})));
    LogCapture log;

    EXPECT_FALSE(exporter.controller().exportKML());
    EXPECT_EQ(exporter.title(), "(not asked)");

    exporter.host().setKeyDocument(list);
    ASSERT_TRUE(exporter.controller().exportKML());
    EXPECT_EQ(exporter.extension(), "kml");
    EXPECT_EQ(exporter.title(), "Harbour");
    EXPECT_EQ(childNames(readBytes(folder.path("out.kml")), "/*/*/*"), "Placemark");

    exporter.host().setKeyDocument(route);
    ASSERT_TRUE(exporter.controller().exportKML());
    EXPECT_EQ(exporter.title(), "Coast");
    EXPECT_EQ(childNames(readBytes(folder.path("out.kml")), "/*/*/*"), "Style Placemark");
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"Exporting waypoints...", "Exporting route Coast..."}));
}

TEST(GpxExport, AllOpenDocumentsInTheSchemasOrder)
{
    Exporter exporter;
    ScratchFolder folder;
    exporter.saveTo(folder.path("all.gpx"));
    exporter.host().addDocument(std::make_unique<MemoryRouteDocument>(routeOf("First",
        waypoints({{"R1", "c", 1.0f, 2.0f, 3.0f}, {"R2", "", 4.0f, 5.0f, kUnknown}, {"R3", "x", 6.0f, 7.0f, 8.0f}}))));
    exporter.host().addDocument(std::make_unique<MemoryWaypointDocument>(
        "List", waypoints({{"A", "", 51.5f, -0.25f, 12.0f}, {"B", "b", -1.0f, -2.0f, 0.0f}})));
    exporter.host().addDocument(std::make_unique<MemoryRouteDocument>(routeOf("Second", {})));
    LogCapture log;
    ASSERT_TRUE(exporter.controller().exportAllToGPX());
    EXPECT_EQ(exporter.extension(), "gpx");
    EXPECT_EQ(exporter.title(), "");
    EXPECT_EQ(log.lines(), std::vector<std::string>{"Exporting all open documents to one GPX file"});

    const std::string xml = readBytes(folder.path("all.gpx"));
    EXPECT_EQ(childNames(xml, "/*/*"), "metadata wpt wpt rte rte");
    EXPECT_EQ(
        select(xml, "/*/@version | /*/@creator"), (std::vector<std::string>{"1.1", "Navora - https://navora.org"}));
    EXPECT_EQ(select(xml, "namespace-uri(/*)"), std::vector<std::string>{"http://www.topografix.com/GPX/1/1"});
    EXPECT_EQ(select(xml, "//*[local-name()='link']/@href"), std::vector<std::string>{"https://navora.org/navora/"});
    EXPECT_EQ(childNames(xml, "/*/*[2]/*"), "ele name cmt");
    EXPECT_EQ(select(xml, "/*/*[2]/@lat | /*/*[2]/@lon"), (std::vector<std::string>{"51.500000", "-0.250000"}));
    EXPECT_EQ(select(xml, "/*/*[2]/*"), (std::vector<std::string>{"12.000000", "A", ""}));
    EXPECT_EQ(
        select(xml, "/*/*[local-name()='rte']/*[local-name()='name']"), (std::vector<std::string>{"First", "Second"}));
    EXPECT_EQ(childNames(xml, "/*/*[4]/*"), "name rtept rtept rtept");
    EXPECT_EQ(select(xml, "/*/*[4]/*[3]/*"), (std::vector<std::string>{"0.000000", "R2", ""}));

    const std::string command
        = "xmllint --nonet --noout --schema " + ioDataPath("gpx.xsd") + " " + folder.path("all.gpx") + " 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST(Export, NumbersIgnoreTheLocale)
{
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "de_DE.UTF-8 is not installed (scripts/setup.sh generates it)";
    MemoryWaypointDocument list("L", waypoints({{"A", "", 51.5f, -0.25f, 1234.5f}}));
    const std::string gpx = GpxExport::documents({&list}, {});
    const std::string kml = KmlExport::waypointList(list.waypointList());
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(select(gpx, "//@lat | //@lon | //*[local-name()='ele']"),
        (std::vector<std::string>{"51.500000", "-0.250000", "1234.500000"}));
    EXPECT_EQ(
        select(kml, "//*[local-name()='coordinates']"), std::vector<std::string>{"-0.250000,51.500000,1234.500000"});
}

TEST(Export, TextXmlCannotHoldIsReplacedAndPositionlessWaypointsLeftOut)
{
    LogCapture log;
    MemoryWaypointDocument list("L",
        waypoints(
            {{"bell\x07 and \xFF bad", "tab\there \r ok", 1.0f, 2.0f, 3.0f}, {"Nowhere", "", kUnknown, 2.0f, 0.0f}}));
    const std::string gpx = GpxExport::documents({&list}, {});
    EXPECT_EQ(
        select(gpx, "//*[local-name()='name']"), std::vector<std::string>{"bell\xEF\xBF\xBD and \xEF\xBF\xBD bad"});
    EXPECT_EQ(select(gpx, "//*[local-name()='cmt']"), std::vector<std::string>{"tab\there \r ok"});
    EXPECT_TRUE(log.contains("waypoint Nowhere has no position - skipping..."));
    EXPECT_TRUE(log.contains("2 characters that XML cannot hold were written as U+FFFD"));
}

// Caps the size of any file this process writes, the way a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_previous{};
    void (*m_handler)(int) = nullptr;
};

TEST(ExportController, SavingIsAtomicAndCancellable)
{
    Exporter exporter;
    ScratchFolder folder;
    const std::string target = folder.write("all.gpx", "old contents");
    WaypointList many;
    for (int i = 0; i < 2000; ++i)
        many.push_back(Waypoint::create("W" + std::to_string(i), "comment", 1.0f, 2.0f, 3.0f));
    exporter.host().addDocument(std::make_unique<MemoryWaypointDocument>("L", many));

    LogCapture log;
    exporter.saveTo(std::nullopt);
    EXPECT_FALSE(exporter.controller().exportAllToGPX());
    EXPECT_EQ(readBytes(target), "old contents");

    exporter.saveTo(target);
    {
        FileSizeLimit limit(4096);
        EXPECT_FALSE(exporter.controller().exportAllToGPX());
    }
    EXPECT_EQ(readBytes(target), "old contents");
    EXPECT_TRUE(log.contains("error writing to file " + target));

    exporter.saveTo(folder.path("no/such/folder/all.gpx"));
    EXPECT_FALSE(exporter.controller().exportAllToGPX());
    EXPECT_TRUE(log.contains("error writing to file " + folder.path("no/such/folder/all.gpx")));

    exporter.saveTo(target);
    EXPECT_TRUE(exporter.controller().exportAllToGPX());
    EXPECT_EQ(select(readBytes(target), "count(//*[local-name()='wpt'])"), std::vector<std::string>{"2000"});
}

} // namespace
} // namespace navora::test
