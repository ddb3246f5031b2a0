// KML import beyond what the golden files show: into an open route, without
// a file, and the reader checked against an XPath union query on the whole
// document.
#include "io/IoTestSupport.h"

#include "io/KmlPlacemarkReader.h"
#include "io/MemoryRouteDocument.h"
#include "io/XmlFileReader.h"
#include "support/LogCapture.h"

#include <libxml/parser.h>
#include <libxml/xpath.h>

namespace navora::test {
namespace {

std::string kml(const std::string& body)
{
    return "<?xml version=\"1.0\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Document>" + body
        + "</Document></kml>\n";
}

std::string placemark(const std::string& name, const std::string& coordinates)
{
    return "<Placemark><name>" + name + "</name><Point><coordinates>" + coordinates
        + "</coordinates></Point></Placemark>\n";
}

TEST(KmlImport, IntoARouteTheNameIsReplacedAndTheWaypointsAppended)
{
    const struct {
        const char* label;
        std::string text;
        std::optional<std::string> name;
        size_t waypoints;
    } rows[] = {
        {"first document name", kml("<name>First</name><name>Second</name>" + placemark("A", "1,2")), "First", 2},
        {"empty document name", kml("<name></name>"), "", 1},
        {"only lines",
            kml("<Placemark><name>L</name><LineString><coordinates>1,2 3,4</coordinates></LineString></Placemark>"),
            "(imported)", 1},
    };
    for (const auto& row : rows) {
        ScratchDirectory folder;
        MemoryDocumentHost host;
        auto route = Route::create();
        route->setRouteName("Old name");
        route->appendWaypoint(Waypoint::create("Existing", "", 1.0f, 1.0f, 1.0f));
        MemoryRouteDocument document(route);
        ASSERT_TRUE(importerFor(host, folder.write("in.kml", row.text)).importKMLforDocument(document, true));
        EXPECT_EQ(route->routeName(), row.name) << row.label;
        ASSERT_EQ(route->count(), row.waypoints) << row.label;
        EXPECT_EQ(route->routeWaypoints().front()->wpName(), "Existing");
        EXPECT_EQ(document.changeCount(), 1);
    }
}

TEST(KmlImport, NoFileOrNoAnswerLeavesThingsAlone)
{
    MemoryDocumentHost host;
    MemoryRouteDocument document;
    LogCapture log;
    EXPECT_FALSE(importerFor(host, std::nullopt).importKMLforDocument(document, true));
    EXPECT_TRUE(log.lines().empty());
    EXPECT_FALSE(importerFor(host, std::string()).importKMLforDocument(document, true));
    EXPECT_EQ(log.lines(), std::vector<std::string>{"Can't create an URL from file ."});
    EXPECT_EQ(document.changeCount(), 0);

    // Cancelling the question opens nothing; cancelling the file leaves the
    // new document open and empty.
    ScratchDirectory folder;
    importerFor(host, folder.write("in.kml", kml(placemark("A", "1,2"))), [] {
        return ImportChoice::Cancel;
    }).importKML();
    EXPECT_TRUE(host.documents().empty());
    EXPECT_TRUE(log.contains("import cancelled"));
    importerFor(host, std::nullopt, [] { return ImportChoice::Waypoints; }).importKML();
    ASSERT_EQ(host.documents().size(), 1u);
    EXPECT_TRUE(host.documents().front()->waypointList().empty());
}

// The reader streams the file; the union query on the whole parsed document
// must select exactly the same strings, in the same order.
std::vector<std::string> unionQuery(const std::string& path, std::optional<std::string>& documentName)
{
    const std::string placemark = "//*[local-name()='Placemark'][*[local-name()='Point']]";
    const std::string query = placemark + "/*[local-name()='name'] | " + placemark + "/*[local-name()='description'] | "
        + placemark + "/*[local-name()='Point']/*[local-name()='coordinates']";
    std::vector<std::string> strings;
    xmlDocPtr doc = xmlReadFile(
        path.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_RECOVER | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (doc == nullptr)
        return strings;
    xmlXPathContextPtr context = xmlXPathNewContext(doc);
    for (const auto& [expression, target] : {std::pair{query, &strings},
             std::pair{std::string("//*[local-name()='Document']/*[local-name()='name']"),
                 static_cast<std::vector<std::string>*>(nullptr)}}) {
        xmlXPathObjectPtr result
            = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expression.c_str()), context);
        for (int i = 0; result != nullptr && result->nodesetval != nullptr && i < result->nodesetval->nodeNr; ++i) {
            xmlChar* text = xmlXPathCastNodeToString(result->nodesetval->nodeTab[i]);
            if (target != nullptr)
                target->emplace_back(reinterpret_cast<const char*>(text));
            else if (!documentName)
                documentName = reinterpret_cast<const char*>(text);
            xmlFree(text);
        }
        xmlXPathFreeObject(result);
    }
    xmlXPathFreeContext(context);
    xmlFreeDoc(doc);
    return strings;
}

TEST(KmlImport, SelectsWhatTheUnionQuerySelects)
{
    ScratchDirectory folder;
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::directory_iterator(ioDataPath("golden"))) {
        if (entry.path().extension() == ".kml")
            paths.push_back(entry.path().string());
    }
    paths.push_back(folder.write("nested.kml",
        kml("<name>N</name><Placemark><name>Outer</name><Placemark><name>Inner</name><Point><coordinates>1,1"
            "</coordinates></Point><Document><name>deep</name></Document></Placemark><description>late</description>"
            "<Point><coordinates>2,2</coordinates></Point><Point><coordinates>3,3</coordinates></Point></Placemark>")));
    ASSERT_GE(paths.size(), 5u);
    for (const std::string& path : paths) {
        KmlPlacemarkReader reader;
        if (!XmlFileReader::readFile(path, reader).document)
            continue;
        std::optional<std::string> documentName;
        const std::vector<std::string> expected = unionQuery(path, documentName);
        const std::vector<std::string> items(reader.items().begin(), reader.items().end());
        EXPECT_EQ(items, expected) << path;
        EXPECT_EQ(reader.documentName(), documentName) << path;
    }
}

} // namespace
} // namespace navora::test
