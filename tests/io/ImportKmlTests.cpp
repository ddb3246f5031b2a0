#include "io/IoTestSupport.h"

#include "io/KmlPlacemarkReader.h"
#include "io/MemoryRouteDocument.h"
#include "io/MemoryWaypointDocument.h"
#include "io/XmlFileReader.h"
#include "model/DocumentTypes.h"
#include "support/LogCapture.h"

#include <libxml/parser.h>
#include <libxml/xpath.h>

namespace navora::test {
namespace {

std::string kml(const std::string& body, const std::string& root = "<kml xmlns=\"http://www.opengis.net/kml/2.2\">",
    const std::string& end = "</kml>")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + root + "<Document>" + body + "</Document>" + end + "\n";
}

std::string placemark(const std::string& name, const std::string& description, const std::string& coordinates)
{
    std::string text = "<Placemark><name>" + name + "</name>";
    if (!description.empty())
        text += "<description>" + description + "</description>";
    return text + "<Point><coordinates>" + coordinates + "</coordinates></Point></Placemark>\n";
}

// Imports text as a KML file into a new route document (no sorting, so the
// file's order shows).
std::vector<std::string> importAsRoute(const std::string& text)
{
    ScratchFolder folder;
    MemoryDocumentHost host;
    MemoryRouteDocument document;
    ImportController importer = importerFor(host, folder.write("in.kml", text));
    EXPECT_TRUE(importer.importKMLforDocument(document, true));
    return describe(document.waypointList());
}

struct GroupingCase {
    const char* label;
    std::string body;
    std::vector<std::string> waypoints;
};

void PrintTo(const GroupingCase& row, std::ostream* out)
{
    *out << row.label;
}

class KmlGrouping : public ::testing::TestWithParam<GroupingCase> { };

TEST_P(KmlGrouping, GivesTheWaypointsOfThePointPlacemarks)
{
    EXPECT_EQ(importAsRoute(kml(GetParam().body)), GetParam().waypoints);
}

INSTANTIATE_TEST_SUITE_P(Placemarks, KmlGrouping,
    ::testing::Values(
        GroupingCase{"ThreeComplete",
            placemark("Quay", "Start", "-4.25,50.5,12") + placemark("Light", "End of the wall", "-4.5,50.25,120.5")
                + placemark("Cove", "Anchor", "1,-2,-3"),
            {"Quay | Start | 50.500000 | -4.250000 | 12.000000",
                "Light | End of the wall | 50.250000 | -4.500000 | 120.500000",
                "Cove | Anchor | -2.000000 | 1.000000 | -3.000000"}},
        GroupingCase{"NoDescriptionInTheMiddle",
            placemark("A", "first", "1,2,3") + placemark("B", "", "4,5,6") + placemark("C", "third", "7,8,9"),
            {"A | first | 2.000000 | 1.000000 | 3.000000", "B |  | 5.000000 | 4.000000 | 6.000000",
                "C | third | 8.000000 | 7.000000 | 9.000000"}},
        GroupingCase{"NoDescriptionAtTheEnd", placemark("A", "first", "1,2,3") + placemark("B", "", "4,5,6"),
            {"A | first | 2.000000 | 1.000000 | 3.000000", "B |  | 5.000000 | 4.000000 | 6.000000"}},
        GroupingCase{"NoDescriptionTwiceInARow",
            placemark("A", "", "1,2") + placemark("B", "", "3,4") + placemark("C", "", "5,6"),
            {"A |  | 2.000000 | 1.000000 | 0.000000", "B |  | 4.000000 | 3.000000 | 0.000000",
                "C |  | 6.000000 | 5.000000 | 0.000000"}},
        GroupingCase{"LongitudeAndLatitudeOnly", placemark("A", "two numbers", "-0.25,51.5"),
            {"A | two numbers | 51.500000 | -0.250000 | 0.000000"}},
        GroupingCase{"BlanksAndLineBreaksInCoordinates", placemark("A", "spread", "\n   -0.25 ,\n 51.5,\t12\n  "),
            {"A | spread | 51.500000 | -0.250000 | 12.000000"}},
        GroupingCase{"NumbersReadLeniently", placemark("A", "junk", "east,51.5north,1e2x"),
            {"A | junk | 51.500000 | 0.000000 | 100.000000"}},
        GroupingCase{"CdataCommentsAndEntities",
            "<Placemark><name><![CDATA[Fish & <Chips>]]><!-- not text --></name>"
            "<description>a &amp; b &lt;c&gt; &#x263A;</description>"
            "<Point><coordinates><![CDATA[1,2,3]]></coordinates></Point></Placemark>",
            {"Fish & <Chips> | a & b <c> \xE2\x98\xBA | 2.000000 | 1.000000 | 3.000000"}},
        GroupingCase{"NonAsciiNames", placemark("Ålesund – Øst", "Tromsø «北»", "6,62,0"),
            {"Ålesund – Øst | Tromsø «北» | 62.000000 | 6.000000 | 0.000000"}},
        GroupingCase{"OnlyPlacemarksWithAPointOfTheirOwn",
            "<Placemark><name>Line</name><LineString><coordinates>1,2 3,4</coordinates></LineString></Placemark>"
            "<Placemark><name>Multi</name><MultiGeometry><Point><coordinates>5,6</coordinates></Point>"
            "</MultiGeometry></Placemark>"
                + placemark("Kept", "yes", "7,8,9"),
            {"Kept | yes | 8.000000 | 7.000000 | 9.000000"}},
        GroupingCase{"FoldersAndNestedPlacemarksInDocumentOrder",
            "<Folder><Placemark><name>Outer</name><description>o</description>"
            "<Placemark><name>Inner</name><description>i</description><Point><coordinates>1,1</coordinates>"
            "</Point></Placemark><Point><coordinates>2,2</coordinates></Point></Placemark></Folder>",
            // The union lists the outer name and description before the inner
            // placemark's items: the grouping passes over what it cannot pair.
            {"Inner | i | 1.000000 | 1.000000 | 0.000000"}},
        GroupingCase{"EmptyDocument", "", {}}),
    [](const auto& row) { return std::string(row.param.label); });

TEST(KmlImport, ItemsRunningOutNeverReadPastTheEnd)
{
    // A coordinate item without a comma, and a lone trailing name: each is
    // passed over with a line in the log, and the rest is read.
    LogCapture log;
    const std::string text = kml(placemark("A", "", "12.5") + placemark("B", "fine", "3,4,5")
        + "<Placemark><name>Alone</name><Point/></Placemark>");
    EXPECT_EQ(importAsRoute(text), std::vector<std::string>{"B | fine | 4.000000 | 3.000000 | 5.000000"});
    EXPECT_TRUE(log.contains("placemark A has no latitude and longitude - skipping..."));
    EXPECT_TRUE(log.contains("placemark Alone has no latitude and longitude - skipping..."));
}

TEST(KmlImport, ReadsEveryNamespaceAndNone)
{
    const std::string body = placemark("A", "first", "1,2,3") + placemark("B", "", "4,5");
    const std::vector<std::string> expected = importAsRoute(kml(body, "<kml>"));
    ASSERT_EQ(expected.size(), 2u);
    for (const std::string_view root : {"<kml xmlns=\"http://earth.google.com/kml/2.0\">",
             "<kml xmlns=\"http://earth.google.com/kml/2.1\">", "<kml xmlns=\"http://www.opengis.net/kml/2.2\">"}) {
        EXPECT_EQ(importAsRoute(kml(body, std::string(root))), expected) << root;
    }
    // Prefixed elements match by their local names too.
    std::string prefixed = kml(body, "<k:kml xmlns:k=\"http://www.opengis.net/kml/2.2\">", "</k:kml>");
    for (const std::string_view element : {"Document", "Placemark", "name", "description", "Point", "coordinates"}) {
        const std::string name(element);
        for (const std::string& tag : {"<" + name + ">", "</" + name + ">"}) {
            std::string replacement = tag;
            replacement.insert(tag[1] == '/' ? 2 : 1, "k:");
            for (size_t at = prefixed.find(tag); at != std::string::npos; at = prefixed.find(tag, at + 1))
                prefixed.replace(at, tag.size(), replacement);
        }
    }
    EXPECT_EQ(importAsRoute(prefixed), expected);
}

struct RouteNameCase {
    const char* label;
    std::string text;
    std::optional<std::string> name;
};

void PrintTo(const RouteNameCase& row, std::ostream* out)
{
    *out << row.label;
}

class KmlRouteName : public ::testing::TestWithParam<RouteNameCase> { };

TEST_P(KmlRouteName, ReplacesTheRouteName)
{
    ScratchFolder folder;
    MemoryDocumentHost host;
    auto route = Route::create();
    route->setRouteName("Old name");
    route->appendWaypoint(Waypoint::create("Existing", "", 1.0f, 1.0f, 1.0f));
    MemoryRouteDocument document(route);
    ImportController importer = importerFor(host, folder.write("in.kml", GetParam().text));
    ASSERT_TRUE(importer.importKMLforDocument(document, true));
    EXPECT_EQ(route->routeName(), GetParam().name);
    EXPECT_EQ(route->routeWaypoints().front()->wpName(), "Existing");
    EXPECT_EQ(document.changeCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Routes, KmlRouteName,
    ::testing::Values(
        RouteNameCase{"DocumentName", kml("<name>Harbour tour</name>" + placemark("A", "", "1,2")), "Harbour tour"},
        RouteNameCase{"FirstDocumentName", kml("<name>First</name><name>Second</name>"), "First"},
        RouteNameCase{"EmptyDocumentName", kml("<name></name>"), ""},
        RouteNameCase{"NoDocumentName", kml(placemark("A", "", "1,2")), "(imported)"},
        RouteNameCase{"OnlyLines",
            kml("<Placemark><name>L</name><LineString><coordinates>1,2 3,4</coordinates></LineString></Placemark>"),
            "(imported)"}),
    [](const auto& row) { return std::string(row.param.label); });

TEST(KmlImport, AppendsAfterTheRoutesWaypoints)
{
    ScratchFolder folder;
    MemoryDocumentHost host;
    auto route = Route::create();
    route->appendWaypoint(Waypoint::create("Existing", "", 1.0f, 1.0f, 1.0f));
    MemoryRouteDocument document(route);
    ImportController importer
        = importerFor(host, folder.write("in.kml", kml(placemark("Z", "", "1,2") + placemark("A", "", "3,4"))));
    ASSERT_TRUE(importer.importKMLforDocument(document, true));
    EXPECT_EQ(describe(route->routeWaypoints()),
        (std::vector<std::string>{"Existing |  | 1.000000 | 1.000000 | 1.000000",
            "Z |  | 2.000000 | 1.000000 | 0.000000", "A |  | 4.000000 | 3.000000 | 0.000000"}));
}

TEST(KmlImport, AWaypointListSortsAndDropsSameNamedEntries)
{
    ScratchFolder folder;
    MemoryDocumentHost host;
    MemoryWaypointDocument document;
    document.addWP(Waypoint::create("M", "already there", 0.0f, 0.0f, 0.0f));
    ImportController importer = importerFor(host,
        folder.write(
            "in.kml", kml(placemark("Z", "", "1,2") + placemark("M", "again", "3,4") + placemark("A", "", "5,6"))));
    LogCapture log;
    ASSERT_TRUE(importer.importKMLforDocument(document, false));
    EXPECT_EQ(describe(document.waypointList()),
        (std::vector<std::string>{"A |  | 6.000000 | 5.000000 | 0.000000",
            "M | already there | 0.000000 | 0.000000 | 0.000000", "Z |  | 2.000000 | 1.000000 | 0.000000"}));
    EXPECT_TRUE(log.contains("Import complete - 1 duplicates removed"));
}

TEST(KmlImport, NoFileOrAnUnreadableOneLeavesTheDocumentAlone)
{
    ScratchFolder folder;
    MemoryDocumentHost host;
    MemoryRouteDocument document;
    LogCapture log;
    EXPECT_FALSE(importerFor(host, std::nullopt).importKMLforDocument(document, true));
    EXPECT_TRUE(log.lines().empty());
    EXPECT_FALSE(importerFor(host, std::string()).importKMLforDocument(document, true));
    EXPECT_TRUE(log.contains("Can't create an URL from file ."));
    EXPECT_FALSE(importerFor(host, folder.write("bad.kml", "not xml")).importKMLforDocument(document, true));
    EXPECT_FALSE(importerFor(host, folder.path("missing.kml")).importKMLforDocument(document, true));
    EXPECT_EQ(document.changeCount(), 0);
    EXPECT_EQ(document.route()->routeName(), std::nullopt);
    EXPECT_EQ(
        log.count("Error importing KML file: " + folder.path("bad.kml") + ":1: Start tag expected, '<' not found"), 1u);
    EXPECT_TRUE(
        log.contains("Error importing KML file: " + folder.path("missing.kml") + ": No such file or directory"));
}

TEST(KmlImport, TheQuestionDecidesTheKindOfDocument)
{
    ScratchFolder folder;
    const std::string path
        = folder.write("in.kml", kml("<name>Tour</name>" + placemark("B", "", "1,2") + placemark("A", "", "3,4")));
    struct Answer {
        ImportChoice choice;
        std::optional<std::string_view> type;
        std::vector<std::string> names;
    };
    for (const Answer& answer : {Answer{ImportChoice::Route, kRouteDocumentType.name, {"B", "A"}},
             Answer{ImportChoice::Waypoints, kWaypointsDocumentType.name, {"A", "B"}},
             Answer{ImportChoice::Cancel, std::nullopt, {}}}) {
        MemoryDocumentHost host;
        LogCapture log;
        importerFor(host, path, [&] { return answer.choice; }).importKML();
        if (!answer.type) {
            EXPECT_TRUE(host.documents().empty());
            EXPECT_EQ(log.lines(), std::vector<std::string>{"import cancelled"});
            continue;
        }
        ASSERT_EQ(host.documents().size(), 1u);
        ExchangeDocument& document = *host.documents().front();
        EXPECT_EQ(document.typeName(), *answer.type);
        std::vector<std::string> names;
        for (const WaypointPtr& waypoint : document.waypointList())
            names.push_back(waypoint->wpName());
        EXPECT_EQ(names, answer.names);
        if (document.route()) {
            EXPECT_EQ(document.route()->routeName(), "Tour");
        }
    }
}

TEST(KmlImport, CancellingTheFileLeavesTheNewDocumentOpenAndEmpty)
{
    MemoryDocumentHost host;
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
    ScratchFolder folder;
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
