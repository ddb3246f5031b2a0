#include "documents/DocumentDesk.h"

#include "support/LogCapture.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QTableView>

#include <gtest/gtest.h>

namespace navora {
namespace {

using test::control;
using test::namesOf;

constexpr const char* kKml = R"(<?xml version="1.0" encoding="UTF-8"?>
<kml xmlns="http://www.opengis.net/kml/2.2"><Document><name>Bay Tour</name>
<Placemark><name>Pier</name><description>north pier</description><Point><coordinates>-122.5,37.25,4</coordinates></Point></Placemark>
<Placemark><name>Buoy</name><Point><coordinates>-122.25,37.5</coordinates></Point></Placemark>
<Placemark><name>Pier</name><description>again</description><Point><coordinates>-1,1,1</coordinates></Point></Placemark>
</Document></kml>
)";

constexpr const char* kGpx = R"(<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1">
<wpt lat="10.5" lon="20.25"><name>Summit</name><cmt>top</cmt><ele>812</ele></wpt>
<rte><name>Ignored</name><rtept lat="1" lon="1"><name>R1</name></rtept></rte>
<wpt lat="11"><name>No longitude</name></wpt>
</gpx>
)";

class ImportIntoDocumentTest : public testing::Test {
protected:
    QString write(const char* name, const char* text)
    {
        QFile file(desk.file(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return desk.file(name);
    }
    void trigger(QWidget& window, const char* action) { control<QAction>(window, action).trigger(); }

    test::DocumentDesk desk;
};

TEST_F(ImportIntoDocumentTest, KmlAndGpxAddToAWaypointList)
{
    test::LogCapture log;
    WaypointWindow& window = desk.newWaypointList({Waypoint::create("Anchor", "", 1.0f, 1.0f, 0.0f)});
    desk.dialogs->openPaths = {write("bay.kml", kKml)};
    trigger(window, "importKMLAction");
    EXPECT_EQ(desk.dialogs->openExtensions.back(), QStringList{"kml"});
    const WaypointList& list = window.waypointDocument().waypointList();
    EXPECT_EQ(namesOf(list), (std::vector<std::string>{"Anchor", "Buoy", "Pier"}));
    EXPECT_EQ(list[2]->wpComment(), "north pier");
    EXPECT_TRUE(log.contains("Import complete - 1 duplicates removed"));
    EXPECT_EQ(control<QTableView>(window, "wpTable").model()->rowCount(), 3);
    EXPECT_TRUE(window.waypointDocument().isDocumentEdited());

    desk.dialogs->openPaths = {write("walk.gpx", kGpx)};
    trigger(window, "importGPXAction");
    EXPECT_EQ(desk.dialogs->openExtensions.back(), QStringList{"gpx"});
    EXPECT_EQ(namesOf(list), (std::vector<std::string>{"Anchor", "Buoy", "Pier", "Summit"}));
    EXPECT_EQ(list[3]->altitude(), 812.0f);
    EXPECT_TRUE(log.contains("waypoint incomplete - skipping..."));
    EXPECT_EQ(desk.controller->documents().size(), 1u); // the file's route opens nothing here
}

TEST_F(ImportIntoDocumentTest, KmlAppendsToARouteAndNamesIt)
{
    test::LogCapture log;
    RouteWindow& window = desk.newRoute({Waypoint::create("Start", "", 0.0f, 0.0f, 0.0f)}, "Old name");
    desk.dialogs->openPaths = {write("bay.kml", kKml)};
    trigger(window, "importKMLAction");
    const RouteDocument& document = window.routeDocument();
    EXPECT_EQ(namesOf(document.waypointList()), (std::vector<std::string>{"Start", "Pier", "Buoy", "Pier"}));
    EXPECT_EQ(document.route()->routeName(), "Bay Tour");
    EXPECT_EQ(control<QLineEdit>(window, "routeName").text(), "Bay Tour");
    EXPECT_EQ(control<QTableView>(window, "routeTable").model()->rowCount(), 4);
    EXPECT_TRUE(log.contains("Import complete"));
    EXPECT_TRUE(document.isDocumentEdited());
}

TEST_F(ImportIntoDocumentTest, ACancelledImportChangesNothing)
{
    test::LogCapture log;
    RouteWindow& route = desk.newRoute({Waypoint::create("Start", "", 0.0f, 0.0f, 0.0f)}, "Kept");
    WaypointWindow& list = desk.newWaypointList();
    trigger(route, "importKMLAction");
    trigger(list, "importKMLAction");
    trigger(list, "importGPXAction");
    EXPECT_EQ(route.routeDocument().route()->routeName(), "Kept");
    EXPECT_FALSE(route.routeDocument().isDocumentEdited());
    EXPECT_FALSE(list.waypointDocument().isDocumentEdited());
    EXPECT_FALSE(log.contains("Import complete"));
}

} // namespace
} // namespace navora
