// What the golden files do not pin: an unknown altitude, the route colour, the
// controller's choice of document and its failures, text XML cannot hold.
#include "io/IoTestSupport.h"

#include "core/NotificationNames.h"
#include "core/SettingsKeys.h"
#include "io/GpxExport.h"
#include "io/KmlExport.h"
#include "io/XmlText.h"

#include <cmath>

namespace navora::test {
namespace {

constexpr float kUnknown = std::numeric_limits<float>::quiet_NaN();

RoutePtr routeOf(const std::string& name, const std::vector<float>& altitudes)
{
    auto route = Route::create();
    route->setRouteName(name);
    for (const float altitude : altitudes)
        route->appendWaypoint(Waypoint::create("P", "", 10.0f, -1.5f, altitude));
    return route;
}

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The golden files show routes read from files, where a missing altitude
// reads as 0; here an unknown one, and a style that does not parse.
TEST(KmlExport, AnUnknownAltitudeClampsTheLineAndABadStyleIsLeftOut)
{
    EXPECT_TRUE(has(KmlExport::route(*routeOf("R", {120.0f, kUnknown}), "ccff00ff", {}),
        "<altitudeMode>clampedToGround</altitudeMode>"));
    int errors = 0;
    EXPECT_FALSE(has(KmlExport::route(*routeOf("R", {}), "<oops", [&](std::string_view) { ++errors; }), "<Style"));
    EXPECT_EQ(errors, 1);
}

TEST(ExportController, RouteColourIsAlphaBlueGreenRedAndFollowsTheSetting)
{
    const struct {
        RouteColour colour;
        const char* text;
    } rows[] = {{{0.5, 0.5, 0.5, 0.5}, "7f7f7f7f"}, {{0.2, 0.2, 0.2, 1.0}, "ff333333"},
        {{1.0, 0.0, 0.2, 0.8}, "cc3300ff"}, {{-1.0, 2.0, std::nan(""), 1.5}, "ff00ff00"}};
    for (const auto& row : rows)
        EXPECT_EQ(ExportController::routeColourText(row.colour), row.text);

    Exporter exporter;
    exporter.settings.setColour(TRVRouteColourKey, {0.0, 1.0, 0.0, 0.5});
    ScratchDirectory folder;
    ExportController controller(exporter.host, exporter.settings, exporter.center,
        [&](auto, auto) { return std::optional(folder.file("route.kml").string()); });
    EXPECT_EQ(controller.routeColour(), "7f00ff00");
    ControlState well;
    well.colour = RouteColour{0.0, 0.0, 1.0, 0.8};
    exporter.center.post(TRVRouteColourChanged, well);
    ASSERT_TRUE(controller.exportKMLfromRouteDoc(MemoryRouteDocument(routeOf("R", {1.0f}))));
    EXPECT_TRUE(has(fileBytes(folder.file("route.kml")), "<color>ccff0000</color>"));

    // A notification without a colour is logged and changes nothing.
    LogCapture log;
    exporter.center.post(TRVRouteColourChanged);
    EXPECT_EQ(controller.routeColour(), "ccff0000");
    EXPECT_TRUE(log.contains("Route colour change without a colour - route colour kept"));
}

TEST(ExportController, TheDocumentInFrontDecidesTheKmlAndFailuresKeepTheOldFile)
{
    Exporter exporter;
    ScratchDirectory folder;
    exporter.saveTo = folder.write("out.kml", "old contents");
    auto* list = exporter.host.addDocument(
        std::make_unique<MemoryWaypointDocument>("Harbour", WaypointList{Waypoint::create("A", "", 1.0f, 2.0f, 3.0f)}));
    auto* route = exporter.host.addDocument(std::make_unique<MemoryRouteDocument>(routeOf("Coast", {})));
    LogCapture log;
    EXPECT_FALSE(exporter.controller.exportKML());
    EXPECT_FALSE(exporter.controller.exportKMLfromRouteDoc(*list));
    EXPECT_EQ(exporter.title, "(not asked)");
    EXPECT_EQ(fileBytes(folder.file("out.kml")), "old contents");

    for (ExchangeDocument* document : {list, route}) {
        exporter.host.setKeyDocument(document);
        ASSERT_TRUE(exporter.controller.exportKML());
        EXPECT_EQ(exporter.title + (has(fileBytes(folder.file("out.kml")), "LineString") ? " line" : ""),
            document == list ? "kml Harbour" : "kml Coast line");
    }
    EXPECT_EQ(log.lines(),
        (std::vector<std::string>{
            "Exporting route: the document holds no route", "Exporting waypoints...", "Exporting route Coast..."}));

    // A cancelled save or one that cannot write leaves the old file.
    const std::string before = fileBytes(folder.file("out.kml"));
    exporter.host.setKeyDocument(nullptr);
    exporter.saveTo = std::nullopt;
    EXPECT_FALSE(exporter.controller.exportAllToGPX());
    EXPECT_EQ(exporter.title, "gpx Harbour"); // named after the first document
    exporter.saveTo = folder.file("no/such/folder/all.gpx");
    EXPECT_FALSE(exporter.controller.exportAllToGPX());
    EXPECT_TRUE(log.contains("error writing to file " + *exporter.saveTo));
    EXPECT_EQ(fileBytes(folder.file("out.kml")), before);
}

TEST(Export, TextXmlCannotHoldIsReplacedAndPositionlessWaypointsLeftOut)
{
    const std::string bad = "\xEF\xBF\xBD"; // U+FFFD
    const struct {
        std::string text;
        std::string cleaned;
        int replaced;
    } rows[] = {{"plain Größe «北» 🧭", "plain Größe «北» 🧭", 0},
        {"tab\tline\nreturn\r", "tab\tline\nreturn\r", 0},
        {"bell\x07 nul" + std::string(1, '\0'), "bell" + bad + " nul" + bad, 2},
        {"\xFF lone byte", bad + " lone byte", 1}, {"cut \xC3", "cut " + bad, 1},
        {"overlong \xC0\xAF", "overlong " + bad + bad, 2},
        {"surrogate \xED\xA0\x80", "surrogate " + bad + bad + bad, 3}};
    for (const auto& row : rows) {
        int replaced = 0;
        EXPECT_EQ(XmlText::clean(row.text, replaced), row.cleaned) << row.text;
        EXPECT_EQ(replaced, row.replaced) << row.text;
        EXPECT_EQ(XmlText::isClean(row.text), row.replaced == 0) << row.text;
    }
    EXPECT_EQ(XmlText::utf8FromMixed("M\xFCnchen, M\xC3\xBCnchen"), "M\xC3\xBCnchen, M\xC3\xBCnchen");
    EXPECT_TRUE(XmlText::isUtf8("M\xC3\xBCnchen \x07"));
    EXPECT_FALSE(XmlText::isUtf8("M\xFCnchen"));

    LogCapture log;
    MemoryWaypointDocument list("L",
        {Waypoint::create("bell\x07 and \xFF bad", "", 1.0f, 2.0f, 3.0f),
            Waypoint::create("Nowhere", "", kUnknown, 2.0f, 0.0f)});
    const std::string gpx = GpxExport::documents({&list}, {});
    EXPECT_TRUE(has(gpx, "<name>bell" + bad + " and " + bad + " bad</name>"));
    EXPECT_FALSE(has(gpx, "Nowhere"));
    EXPECT_TRUE(log.contains("waypoint Nowhere has no position - skipping..."));
    EXPECT_TRUE(log.contains("2 characters that XML cannot hold were written as U+FFFD"));
}

} // namespace
} // namespace navora::test
