// The logic of the waypoint list and the route without windows, driven
// through their named fields and actions (DocumentFakes).
#include "core/NotificationNames.h"
#include "documents/DocumentFakes.h"
#include "documents/FieldText.h"
#include "nav/UnitSystem.h"
#include "support/LogCapture.h"
#include "support/PostRecorder.h"
#include "support/ScratchDirectory.h"

#include <QMimeData>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace navora {
namespace {

namespace fd = navora::field;
using namespace test;

class WaypointLogic : public testing::Test {
protected:
    Desk desk;
    std::shared_ptr<WaypointDocument> document
        = desk.list({waypoint("Alpha", 1.5f, 2.5f), waypoint("Bravo", 3.0f, 4.0f)});
    FormState& form = document->form();
    RecordingView& view = desk.view(*document);
};

TEST_F(WaypointLogic, AddAndActivateNeedANameAndAPositionInRange)
{
    // What reads is CoordinateText's: here each field is read on its own axis.
    const struct {
        const char *name, *latitude, *longitude;
        bool ready;
    } rows[] = {{"A", "-90", "180", true}, {"A", "90.5", "0", false}, {"A", "0", "-180.5", false},
        {"A", "47.5 E", "0", false}, {"", "1", "1", false}, {"A", "", "1", false}, {"A", "1", "", false},
        {"A", "47° 32.47' N", "9 40 48 W", true}};
    document->wpAdd();
    EXPECT_FALSE(form.isEnabled(fd::detailAddUpdButton));
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " " + row.latitude + " " + row.longitude);
        type(form, {{fd::wpName, row.name}, {fd::wpLatitude, row.latitude}, {fd::wpLongitude, row.longitude}});
        document->checkButtons();
        EXPECT_EQ(enabled(form, {fd::detailAddUpdButton, fd::detailActivateButton}), row.ready ? "11" : "00");
    }
}

TEST_F(WaypointLogic, EachAxisKeepsItsDecimalAndDegreeFieldsTogether)
{
    // The arithmetic is CoordinateText's; here each axis reaches it with its
    // own fields, a degree field with no hemisphere chosen counting as E.
    type(form, {{fd::wpLatitude, "-0.5"}, {fd::wpLonDeg, "3"}, {fd::wpLonMin, "45"}});
    document->updateWPLat(0);
    document->updateWPLon(1);
    EXPECT_EQ(texts(form, {fd::wpNS, fd::wpLatDeg, fd::wpLatMin, fd::wpLatSec, fd::wpLongitude}), "S|0|30|0|3.75");
    type(form, {{fd::wpEW, "W"}, {fd::wpLatDeg, ""}});
    document->updateWPLon(4);
    document->updateWPLat(2); // without degrees nothing is computed
    EXPECT_EQ(texts(form, {fd::wpLongitude, fd::wpLatitude}), "-3.75|-0.5");
}

TEST_F(WaypointLogic, ANameOfTheListEditsItAnyOtherAddsANewOne)
{
    const WaypointPtr alpha = document->waypointList().front();
    document->wpAdd();
    EXPECT_EQ(std::tuple(form.text(fd::wpBox), view.sheetOpen), std::tuple("New waypoint", true));
    type(form, {{fd::wpName, "Alpha"}});
    document->lookupWPName();
    EXPECT_EQ(texts(form, {fd::wpBox, fd::detailAddUpdButton, fd::wpLatitude, fd::wpComment}),
        "Alpha|Update|1.5|Alpha comment");
    EXPECT_TRUE(form.isEnabled(fd::detailDeleteButton));

    // Case counts; what was typed stays.
    type(form, {{fd::wpName, "alpha"}, {fd::wpLatitude, "-33.5"}, {fd::wpAltitude, "12.25"}});
    document->lookupWPName();
    EXPECT_EQ(texts(form, {fd::wpBox, fd::detailAddUpdButton, fd::wpLatitude}), "New waypoint|Add|-33.5");
    EXPECT_FALSE(form.isEnabled(fd::detailDeleteButton));
    document->detailAddUpd();
    EXPECT_EQ(describe(*document->waypointList()[2]), "alpha|Alpha comment|-33.5|2.5|12.25");
    EXPECT_EQ(alpha->latitude(), 1.5f);
    EXPECT_FALSE(view.sheetOpen);
    EXPECT_TRUE(document->isDocumentEdited());

    // Editing a row updates that waypoint in place.
    document->wpEdit(1);
    EXPECT_EQ(form.text(fd::wpBox), "Bravo");
    type(form, {{fd::wpLatitude, "-7"}, {fd::wpComment, "moved"}});
    document->detailAddUpd();
    EXPECT_EQ(namesOf(document->waypointList()), "Alpha,Bravo,alpha");
    EXPECT_EQ(describe(*document->waypointList()[1]), "Bravo|moved|-7|4|0");
}

TEST_F(WaypointLogic, DeletionAsksFirstAndOnlyYesDeletes)
{
    document->wpDelete(std::nullopt);
    document->wpDelete(2);
    EXPECT_TRUE(view.questions.empty());
    document->wpDelete(0);
    EXPECT_EQ(view.questions, (Names{"Confirm waypoint deletion|Really delete Alpha?|Yes|OOPS - no."}));
    EXPECT_EQ(document->waypointList().size(), 2u);
    EXPECT_FALSE(document->isDocumentEdited());

    view.answer = true;
    document->detailDelete();
    EXPECT_EQ(namesOf(document->waypointList()), "Bravo");
    EXPECT_EQ(texts(form,
                  {fd::wpBox, fd::wpName, fd::wpComment, fd::wpLatitude, fd::wpLongitude, fd::wpAltitude, fd::wpLatDeg,
                      fd::wpLatMin, fd::wpLatSec, fd::wpLonDeg, fd::wpLonMin, fd::wpLonSec}),
        "New waypoint|||||||||||");
    EXPECT_EQ(enabled(form, {fd::detailAddUpdButton, fd::detailDeleteButton, fd::detailActivateButton}), "000");
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_EQ(document->wpTableModel().rowCount(), 1);
}

TEST_F(WaypointLogic, SelectionEnablesTheButtonsOfItsTable)
{
    using Table = WaypointDocument::Table;
    const auto buttons = {fd::wpEditButton, fd::wpDeleteButton, fd::wpActivateButton, fd::showNearestButton,
        fd::detailCurrentPosButton, fd::nearestActivateButton};
    EXPECT_EQ(enabled(form, buttons), "000000");
    const struct {
        Table table;
        bool selected;
        const char* enabled;
    } rows[]
        = {{Table::Waypoints, true, "111000"}, {Table::Nearest, true, "111001"}, {Table::Waypoints, false, "000001"}};
    for (const auto& row : rows) {
        document->tableViewSelectionDidChange(row.table, row.selected);
        EXPECT_EQ(enabled(form, buttons), row.enabled);
    }
}

TEST_F(WaypointLogic, ActivationNavigatesOrServesTheRoutesPickList)
{
    PostRecorder posts(desk.center, {TRVCheckGPSRunning, TRVWaypointActivated, TRVRouteWaypointSelected});
    document->wpActivateSelect(std::nullopt);
    document->wpActivateSelect(2);
    EXPECT_TRUE(posts.posts.empty());
    document->wpActivateSelect(1);
    EXPECT_EQ(posts.names(), (Names{"TRVCheckGPSRunning", "TRVWaypointActivated"}));
    EXPECT_EQ(posts.posts[0].object.sender<Document>(), document.get());
    EXPECT_EQ(posts.posts[1].object.waypoint(), document->waypointList()[1]);

    // As a route's pick list: the waypoint goes to the route, once.
    auto route = desk.route({});
    document->setOpenedForRoute(route);
    EXPECT_EQ(texts(form, {fd::wpActivateButton, fd::nearestActivateButton}), "Select|Select");
    posts.posts.clear();
    document->wpActivateSelect(0);
    EXPECT_EQ(posts.names(), (Names{"TRVRouteWaypointSelected"}));
    EXPECT_EQ(posts.posts[0].object.waypoint(), document->waypointList()[0]);
    EXPECT_EQ(desk.shown, std::vector<Document*>{route.get()});
    EXPECT_EQ(document->openedForRoute(), nullptr);
    EXPECT_EQ(form.text(fd::wpActivateButton), "Activate");

    // From the sheet: added first, navigated without the GPS check, the
    // route left behind.
    document->setOpenedForRoute(route);
    document->wpAdd();
    type(form, {{fd::wpName, "Charlie"}, {fd::wpLatitude, "1"}, {fd::wpLongitude, "1"}});
    posts.posts.clear();
    document->detailActivateWP();
    EXPECT_EQ(posts.names(), (Names{"TRVRouteWaypointSelected"}));
    EXPECT_EQ(posts.posts[0].object.waypoint(), document->waypointList()[2]);
    EXPECT_EQ(desk.shown.size(), 1u);
    EXPECT_FALSE(view.sheetOpen);
    EXPECT_TRUE(document->isDocumentEdited());
    posts.posts.clear();
    document->detailActivateWP();
    EXPECT_EQ(posts.names(), (Names{"TRVWaypointActivated"}));
}

TEST_F(WaypointLogic, ThePositionOffersTheNearestListAndItsCoordinates)
{
    PostRecorder asked(desk.center, {TRVWDneedsCP});
    auto other = desk.list({});
    ASSERT_EQ(asked.posts.size(), 1u);
    EXPECT_EQ(asked.posts[0].object.sender<Document>(), other.get());

    // One minute of latitude is one nautical mile.
    const WaypointPtr ppos = Waypoint::create("PPOS", "gps fix", 0.0f, -0.25f, 42.0f);
    auto list = desk.list({waypoint("Far", 3.0f / 60.0f, -0.25f), waypoint("Near", 1.0f / 60.0f, -0.25f),
        waypoint("Nowhere", NAN, NAN), waypoint("Twin", 1.0f / 60.0f, -0.25f)});
    FormState& fields = list->form();
    RecordingView& shown = desk.view(*list);
    list->showNearest();
    EXPECT_FALSE(list->nearestList().has_value() || shown.nearestOpen);
    desk.center.post(TRVcpUpdated, ppos);
    EXPECT_EQ(list->currentPos(), ppos);
    EXPECT_EQ(enabled(fields, {fd::showNearestButton, fd::detailCurrentPosButton}), "11");
    list->currentPosToLatLon();
    EXPECT_EQ(texts(fields, {fd::wpLatitude, fd::wpLongitude, fd::wpLonMin, fd::wpEW, fd::wpAltitude, fd::wpComment}),
        "0|-0.25|15|W|42|gps fix");

    list->showNearest();
    ASSERT_TRUE(list->nearestList().has_value());
    EXPECT_EQ(namesOf(*list->nearestList()), "Near,Twin,Far,Nowhere");
    EXPECT_TRUE(shown.nearestOpen);
    EXPECT_FALSE(fields.isEnabled(fd::nearestActivateButton));
    QAbstractItemModel& nearest = list->nearestTableModel();
    EXPECT_NEAR(nearest.index(2, 1).data().toDouble(), 3.0, 0.015);
    // The list follows the unit system chosen: 3 nm are 3.452 statute miles.
    desk.units = 'i';
    list->showNearest();
    EXPECT_NEAR(nearest.index(2, 1).data().toDouble(), 3.0 * 1852 / 1609.344, 0.02);
    EXPECT_EQ(nearest.headerData(1, Qt::Horizontal).toString(), "Distance (mi)");

    PostRecorder posts(desk.center, {TRVCheckGPSRunning, TRVWaypointActivated});
    list->nearestActivateSelect(4);
    EXPECT_TRUE(posts.posts.empty());
    list->nearestActivateSelect(2);
    EXPECT_EQ(posts.names(), (Names{"TRVWaypointActivated"}));
    EXPECT_EQ(posts.posts[0].object.waypoint()->wpName(), "Far");
    EXPECT_FALSE(shown.nearestOpen);

    // The fix is lost (or the GPS stopped): nothing offered any more, and
    // an open list says its distances are from a past position.
    EXPECT_EQ(fields.text(fd::nearestOrigin), "Distances from the current position");
    desk.center.post(TRVcpUpdated, NotificationObject());
    EXPECT_TRUE(fields.text(fd::nearestOrigin).starts_with("Distances from the last position, given up at "));
    EXPECT_EQ(enabled(fields, {fd::showNearestButton, fd::detailCurrentPosButton}), "00");
    type(fields, {{fd::wpLatitude, "5"}});
    list->currentPosToLatLon();
    EXPECT_EQ(fields.text(fd::wpLatitude), "5");
    list->showNearest();
    EXPECT_FALSE(list->nearestList().has_value());
}

TEST_F(WaypointLogic, AMarkIsACopyOfThePositionNumberedAfterTheLastMark)
{
    document->addWP(waypoint("MARK 7"));
    document->addWP(waypoint("MARK time"));
    const WaypointPtr ppos = Waypoint::create("PPOS", "gps fix", 47.5f, 9.75f, 12.0f);
    EXPECT_EQ(document->markPosition(*ppos, "2026-12-08T10:00:00Z"), "MARK 8");
    ppos->setLatitude(48.0f); // a copy: the position moves on without it
    EXPECT_EQ(document->markPosition(*ppos, "later"), "MARK 9");
    const auto marked = [this](const std::string& name) {
        for (const WaypointPtr& w : document->waypointList()) {
            if (w->wpName() == name)
                return describe(*w);
        }
        return std::string();
    };
    EXPECT_EQ(marked("MARK 8"), "MARK 8|2026-12-08T10:00:00Z|47.5|9.75|12");
    EXPECT_EQ(marked("MARK 9"), "MARK 9|later|48|9.75|12");
    document->undoStack().undo();
    EXPECT_EQ(marked("MARK 9"), "");
    EXPECT_EQ(document->wpTableModel().rowCount(), 5);
}

TEST_F(WaypointLogic, CellEditsGoThroughTheSetters)
{
    QAbstractItemModel& model = document->wpTableModel();
    const struct {
        int column;
        const char* text;
        bool changed;
    } rows[] = {{0, "Zulu", true}, {1, "note", true}, {2, "-7.25xyz", false}, {2, "95", false}, {2, "7° 15' S", true},
        {3, "12,5", true}, {4, "1e9x", false}, {4, "100", true}};
    for (const auto& row : rows)
        EXPECT_EQ(model.setData(model.index(0, row.column), row.text), row.changed) << row.column << " " << row.text;
    // A refused cell keeps its value and says why.
    ASSERT_EQ(view.told.size(), 3u);
    EXPECT_EQ(view.told[1].rfind("Not changed|\"95\" is not a latitude", 0), 0u) << view.told[1];
    EXPECT_EQ(describe(*document->waypointList()[0]), "Zulu|note|-7.25|12.5|100");
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_FALSE(document->setCellValue(0, "distance", "1"));
    EXPECT_FALSE(document->setCellValue(2, "wpName", "x"));
    EXPECT_FALSE(document->setCellValue(-1, "wpName", "x"));
}

TEST_F(WaypointLogic, RefreshSortsAndRemovesTheSameNameAtTheSamePlace)
{
    LogCapture log;
    // Alpha at 1.5, 2.5 is in the list already: again there it goes, elsewhere it stays.
    for (const WaypointPtr& added : {waypoint("Able"), waypoint("Alpha", 9.0f), waypoint("Alpha", 1.5f, 2.5f)})
        document->addWP(added);
    document->refresh();
    EXPECT_EQ(namesOf(document->waypointList()), "Able,Alpha,Alpha,Bravo");
    EXPECT_EQ(std::pair(document->waypointList()[1]->latitude(), document->waypointList()[2]->latitude()),
        std::pair(1.5f, 9.0f));
    EXPECT_TRUE(log.contains("Import complete - 1 duplicates removed"));
    EXPECT_EQ(document->wpTableModel().rowCount(), 4);
    EXPECT_TRUE(document->isDocumentEdited());
}

TEST_F(WaypointLogic, LoadingClosesTheSheetAndPanelsOfTheOldList)
{
    ScratchDirectory folder;
    const std::string path = folder.file("points.nvw").string();
    std::string error;
    ASSERT_TRUE(document->writeToFile(path, error)) << error;
    EXPECT_EQ(view.deselections, 1);
    auto other = desk.list({waypoint("Zulu")});
    desk.center.post(TRVcpUpdated, waypoint("PPOS"));
    other->wpAdd();
    other->showNearest();
    ASSERT_TRUE(desk.view(*other).nearestOpen);
    ASSERT_TRUE(other->readFromFile(path, error)) << error;
    EXPECT_EQ(namesOf(other->waypointList()), "Alpha,Bravo");
    EXPECT_FALSE(desk.view(*other).sheetOpen || desk.view(*other).nearestOpen || other->nearestList().has_value());
    EXPECT_EQ(other->wpTableModel().rowCount(), 2);
}

class RouteLogic : public testing::Test {
protected:
    WaypointPtr at(char name) const { return list->waypointList()[static_cast<size_t>(name - 'A')]; }
    std::vector<WaypointPtr> waypoints(const std::string& names) const
    {
        std::vector<WaypointPtr> result;
        for (const char name : names)
            result.push_back(at(name));
        return result;
    }
    static std::string namesIn(const RouteDocument& document)
    {
        std::string names = namesOf(document.waypointList());
        std::erase(names, ',');
        return names;
    }
    static void lookUp(RouteDocument& document, const char* name)
    {
        type(document.form(), {{fd::wpName, name}});
        document.lookupWPName();
    }

    Desk desk;
    std::shared_ptr<WaypointDocument> list
        = desk.list({waypoint("A"), waypoint("B"), waypoint("C"), waypoint("D"), waypoint("E", -33.8568f, 151.2153f)});
};

TEST_F(RouteLogic, NameLookupIgnoresCaseAndTakesTheLastList)
{
    const WaypointPtr second = Waypoint::create("HOME", "second list", 2.0f, 2.0f, 0.0f);
    desk.list({Waypoint::create("Home", "first list", 1.0f, 1.0f, 0.0f)});
    desk.list({second});
    desk.route({waypoint("home")}); // routes are not searched
    auto document = desk.route({});
    document->routeAddInsert(std::nullopt);
    lookUp(*document, "hOmE");
    EXPECT_EQ(document->workingWP(), second);
    EXPECT_EQ(document->form().text(fd::wpComment), "second list");

    lookUp(*document, "nowhere");
    EXPECT_EQ(document->workingWP(), nullptr);
    EXPECT_EQ(texts(document->form(), {fd::wpName, fd::wpComment, fd::wpLatitude}), "nowhere||");
    EXPECT_FALSE(document->form().isEnabled(fd::detailAddInsertChangeButton));
    document->detailAddInsertChangeWP(); // nothing found, nothing added
    EXPECT_TRUE(document->waypointList().empty());
}

TEST_F(RouteLogic, APickListHandsItsWaypointToItsOwnRouteOnly)
{
    auto first = desk.route({});
    auto document = desk.route(waypoints("AB"));
    first->wpPickList();
    document->routeAddInsert(1);
    document->wpPickList();
    EXPECT_EQ(list->openedForRoute(), document);
    EXPECT_EQ(desk.shown, (std::vector<Document*>{list.get(), list.get()}));
    EXPECT_TRUE(desk.asked.empty());

    list->wpActivateSelect(3);
    EXPECT_EQ(first->workingWP(), nullptr);
    EXPECT_EQ(document->workingWP(), at('D'));
    EXPECT_EQ(texts(document->form(), {fd::wpName, fd::detailAddInsertChangeButton}), "D|Insert");
    document->detailAddInsertChangeWP();
    EXPECT_EQ(namesIn(*document), "ADB");
    list->wpActivateSelect(0); // later picks go elsewhere
    EXPECT_EQ(document->workingWP(), at('D'));
}

TEST(RoutePickList, WithoutAnOpenListItAsksForAFile)
{
    ScratchDirectory folder;
    const std::string path = folder.file("points.nvw").string();
    std::string error;
    ASSERT_TRUE(Desk().list({waypoint("A"), waypoint("B")})->writeToFile(path, error)) << error;
    LogCapture log;
    Desk desk;
    auto document = desk.route({});
    for (const std::optional<std::string>& choice :
        {std::optional<std::string>(""), {"points.nvw"}, {"/no/such/points.nvw"}, std::optional<std::string>()}) {
        desk.chosen = choice;
        document->wpPickList();
    }
    EXPECT_EQ(desk.documents().size(), 1u);
    EXPECT_TRUE(log.contains("Can't create an URL from file points.nvw."));
    desk.chosen = path;
    document->wpPickList();
    EXPECT_EQ(desk.asked, Names(5, "nvw"));
    ASSERT_EQ(desk.documents().size(), 2u);
    auto* opened = static_cast<WaypointDocument*>(desk.documents()[1]);
    EXPECT_EQ(opened->openedForRoute(), document);
    EXPECT_EQ(namesOf(opened->waypointList()), "A,B");
}

// Join Segment from a row's segment (from the first row or none: the nearest,
// found by the navigation); Direct To a row's waypoint, the first without one.
// Both take the typed name first.
TEST_F(RouteLogic, JoinSegmentAndDirectToActivateTheRoute)
{
    const struct {
        const char* waypoints;
        bool direct;
        std::optional<int> row;
        int active; // -1: nothing happens
    } rows[] = {{"ABCDE", false, 2, 2}, {"ABCDE", false, 0, 5}, {"ABCDE", false, {}, 5}, {"ABCDE", false, 7, 5},
        {"AB", false, 1, 1}, {"A", false, {}, -1}, {"ABCDE", true, 3, 3}, {"ABCDE", true, {}, 0}, {"", true, {}, -1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(
            std::string(row.waypoints) + (row.direct ? " to " : " join ") + std::to_string(row.row.value_or(-1)));
        auto document = desk.route(waypoints(row.waypoints), "Coast Run");
        type(document->form(), {{fd::routeName, "Harbour"}});
        PostRecorder posts(desk.center, {TRVCheckGPSRunning, TRVRouteActivated, TRVWaypointActivated});
        row.direct ? document->routeDirectTo(row.row) : document->routeJoinSegment(row.row);
        if (row.active < 0) {
            EXPECT_TRUE(posts.posts.empty());
            continue;
        }
        const RoutePtr route = document->route();
        EXPECT_EQ(std::pair(route->activeIndex(), route->routeName()),
            std::pair(row.active, std::optional<std::string>("Harbour")));
        const Names all{"TRVCheckGPSRunning", "TRVRouteActivated", "TRVWaypointActivated"};
        ASSERT_EQ(posts.names(), Names(all.begin(), all.end() - (row.direct ? 0 : 1)));
        EXPECT_EQ(posts.posts[0].object.sender<Document>(), document.get());
        EXPECT_EQ(posts.posts[1].object.route(), route);
        if (row.direct) {
            EXPECT_EQ(posts.posts[2].object.waypoint(), at(row.waypoints[row.active]));
        }
    }
}

TEST_F(RouteLogic, TheButtonsFollowTheSelectionTheRouteLengthAndTheLock)
{
    auto document = desk.route(waypoints("ABC"));
    auto single = desk.route(waypoints("A"));
    const auto buttons = {fd::routeChangeButton, fd::routeRemoveButton, fd::routeDirectToButton,
        fd::routeJoinSegmentButton, fd::routeReverseButton, fd::routeAddInsertButton, fd::routeClearAllButton};
    const struct {
        RouteDocument* route;
        std::optional<int> row;
        const char *enabled, *join, *addInsert;
    } rows[] = {
        {document.get(), std::nullopt, "0001111", "Auto-join nearest route segment", "Add"},
        {document.get(), 0, "1111111", "Auto-join nearest route segment", "Insert"},
        {document.get(), 2, "1111111", "Join segment B to C", "Insert"},
        {document.get(), 3, "0001111", "Auto-join nearest route segment", "Add"},
        {single.get(), 0, "1110011", "Auto-join nearest route segment", "Insert"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row.value_or(-1));
        row.route->tableViewSelectionDidChange(row.row);
        EXPECT_EQ(enabled(row.route->form(), buttons), row.enabled);
        EXPECT_EQ(texts(row.route->form(), {fd::routeJoinSegmentButton, fd::routeAddInsertButton}),
            std::string(row.join) + "|" + row.addInsert);
    }
    // A reload drops the selection.
    document->tableViewSelectionDidChange(1);
    document->routeRemove(0);
    EXPECT_FALSE(document->form().isEnabled(fd::routeRemoveButton));

    // The active route is locked, whichever document activated it: only Direct To is left.
    auto first = desk.route(waypoints("ABC"));
    first->tableViewSelectionDidChange(1);
    desk.center.post(TRVRouteIsActive, first->route());
    EXPECT_EQ(std::tuple(first->routeLocked(), desk.view(*first).lockShown, single->routeLocked()),
        std::tuple(true, true, false));
    EXPECT_EQ(enabled(first->form(), buttons), "0010000");
    first->routeClearAll();
    first->routeRemove(0);
    first->routeReverse();
    first->routeAddInsert(std::nullopt);
    first->routeChange(0);
    EXPECT_EQ(namesIn(*first), "ABC");
    EXPECT_FALSE(desk.view(*first).sheetOpen);
    EXPECT_FALSE(first->isDocumentEdited());

    desk.center.post(TRVRouteIsActive, single->route());
    EXPECT_EQ(std::tuple(first->routeLocked(), desk.view(*first).lockShown, single->routeLocked()),
        std::tuple(false, false, true));
    EXPECT_TRUE(first->form().isEnabled(fd::routeClearAllButton));
    desk.center.post(TRVRouteIsActive, NotificationObject());
    EXPECT_FALSE(single->routeLocked());
}

const char* const bayTour = R"(<?xml version="1.0" encoding="UTF-8"?>
<kml xmlns="http://www.opengis.net/kml/2.2"><Document><name>Bay Tour</name>
<Placemark><name>Pier</name><Point><coordinates>-122.5,37.25,4</coordinates></Point></Placemark>
<Placemark><name>Buoy</name><Point><coordinates>-122.25,37.5</coordinates></Point></Placemark>
<Placemark><name>Pier</name><Point><coordinates>-1,1,1</coordinates></Point></Placemark>
</Document></kml>)";

TEST_F(RouteLogic, ImportsAddTheFilesWaypointsUnlessCancelledOrLocked)
{
    ScratchDirectory folder;
    const std::string kml = folder.file("bay.kml").string();
    const std::string gpx = folder.file("walk.gpx").string();
    std::ofstream(kml) << bayTour;
    std::ofstream(gpx) << R"(<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1">
<wpt lat="10.5" lon="20.25"><name>Summit</name></wpt></gpx>)";
    auto route = desk.route(waypoints("A"), "Old name");
    route->importKML(); // the panel cancelled
    list->importGPX();
    EXPECT_FALSE(route->isDocumentEdited());
    EXPECT_FALSE(list->isDocumentEdited());
    desk.chosen = kml;
    desk.center.post(TRVRouteIsActive, route->route());
    EXPECT_FALSE(route->importKML());
    desk.center.post(TRVRouteIsActive, NotificationObject());
    EXPECT_TRUE(route->importKML());
    EXPECT_EQ(namesIn(*route), "APierBuoyPier");
    EXPECT_EQ(route->form().text(fd::routeName), "Bay Tour");
    EXPECT_EQ(route->routeTableModel().rowCount(), 4);
    EXPECT_TRUE(route->isDocumentEdited());
    list->importKML();
    desk.chosen = gpx;
    list->importGPX();
    // The two piers lie in different places: both stay.
    EXPECT_EQ(namesOf(list->waypointList()), "A,B,Buoy,C,D,E,Pier,Pier,Summit");
    EXPECT_EQ(list->wpTableModel().rowCount(), 9);
    EXPECT_EQ(desk.asked, (Names{"kml", "gpx", "kml", "kml", "gpx"}));
}

// Each edit is one step: undone to the unedited point the document gives the
// file it was, byte for byte, with the edited marker off; redone, the edited
// file again.
void expectUndoAndRedo(
    Document& document, int steps, const std::function<void()>& edit, const std::function<void()>& undone)
{
    std::string error;
    QUndoStack& stack = document.undoStack();
    const auto start = document.dataRepresentationOfType("", error);
    edit();
    const auto end = document.dataRepresentationOfType("", error);
    EXPECT_NE(start, end);
    EXPECT_EQ(stack.count() - stack.cleanIndex(), steps);
    while (stack.index() > stack.cleanIndex())
        stack.undo();
    EXPECT_EQ(document.dataRepresentationOfType("", error), start);
    EXPECT_FALSE(document.isDocumentEdited());
    undone();
    while (stack.canRedo())
        stack.redo();
    EXPECT_EQ(document.dataRepresentationOfType("", error), end);
    EXPECT_TRUE(document.isDocumentEdited());
}

TEST_F(RouteLogic, EveryEditSequenceUndoesToTheStartAndRedoesToTheEnd)
{
    ScratchDirectory folder;
    desk.chosen = folder.file("bay.kml").string();
    std::ofstream(*desk.chosen) << bayTour;
    const auto rename = [](RouteDocument& route, const char* name) {
        type(route.form(), {{fd::routeName, name}});
        route.routeRename();
    };
    const struct {
        const char* what;
        int steps;
        std::function<void(RouteDocument&)> edit;
    } routeRows[] = {
        // The sheet names the row and the command; the waypoint is shared, not copied.
        {"add, again, insert, change", 4,
            [&](RouteDocument& route) {
                FormState& form = route.form();
                route.routeAddInsert(std::nullopt);
                EXPECT_TRUE(desk.view(route).sheetOpen);
                EXPECT_EQ(texts(form, {fd::wpBox}) + enabled(form, {fd::detailAddInsertChangeButton}), "Waypoint #30");
                lookUp(route, "d");
                EXPECT_EQ(texts(form, {fd::wpName, fd::wpComment, fd::detailAddInsertChangeButton}), "D|D comment|Add");
                route.detailAddInsertChangeWP();
                EXPECT_EQ(route.waypointList()[3], at('D'));
                route.routeAddInsert(std::nullopt); // again without a new name: the same waypoint
                route.detailAddInsertChangeWP();
                route.routeAddInsert(1);
                EXPECT_EQ(
                    texts(form, {fd::wpBox, fd::wpName, fd::detailAddInsertChangeButton}), "Waypoint #1|B|Insert");
                lookUp(route, "E");
                route.detailAddInsertChangeWP();
                route.routeChange(9);
                EXPECT_FALSE(desk.view(route).sheetOpen);
                route.routeChange(0);
                EXPECT_EQ(texts(form, {fd::wpBox, fd::detailAddInsertChangeButton}), "Waypoint #0|Change");
                lookUp(route, "c");
                route.detailAddInsertChangeWP();
                EXPECT_FALSE(desk.view(route).sheetOpen);
                EXPECT_EQ(namesIn(route), "CEBCDD");
            }},
        {"remove, remove two, move", 3,
            [](RouteDocument& route) {
                route.routeRemove(9);
                route.routeRemove(std::nullopt);
                route.routeRemove(1);
                EXPECT_EQ(namesIn(route), "AC");
                route.routeRemoveRows({0, 1, 9});
                EXPECT_FALSE(route.routeMove(0, 1)); // one waypoint left
                route.routeAddInsert(std::nullopt);
                lookUp(route, "B");
                route.detailAddInsertChangeWP();
                route.routeMove(1, 0);
            }},
        {"move down, up, clear", 3,
            [](RouteDocument& route) {
                route.routeMove(0, 2);
                EXPECT_EQ(namesIn(route), "BCA");
                route.routeMove(2, 1);
                route.routeClearAll();
                EXPECT_EQ(route.routeTableModel().rowCount(), 0);
            }},
        {"reverse, rename, unchanged rename", 2,
            [&](RouteDocument& route) {
                route.routeReverse();
                rename(route, "Other");
                rename(route, "Other");
            }},
        {"import", 1, [](RouteDocument& route) { route.importKML(); }},
    };
    for (const auto& row : routeRows) {
        SCOPED_TRACE(row.what);
        auto route = desk.route(waypoints("ABC"), "Round");
        PostRecorder posts(desk.center, {TRVRouteEdited});
        expectUndoAndRedo(
            *route, row.steps, [&] { row.edit(*route), posts.posts.clear(); },
            [&] {
                EXPECT_EQ(route->form().text(fd::routeName), "Round");
                EXPECT_EQ(route->routeTableModel().rowCount(), 3);
                // Navigation takes each undone route whole.
                EXPECT_EQ(posts.posts.size(), static_cast<size_t>(row.steps));
            });
    }

    const WaypointPtr b = at('B');
    list->addWP(Waypoint::create("Nowhere", "", NAN, NAN, NAN)); // last, as imported
    const auto addToList = [this](const char* name, const char* latitude) {
        list->wpAdd();
        type(list->form(), {{fd::wpName, name}, {fd::wpLatitude, latitude}, {fd::wpLongitude, "9.5"}});
        list->detailAddUpd();
    };
    const struct {
        const char* what;
        int steps;
        std::function<void()> edit;
    } listRows[] = {
        {"add, update", 2,
            [&] {
                addToList("F", "47.5");
                addToList("B", "-12.25");
            }},
        {"delete one by the sheet, two by rows", 2,
            [&] {
                desk.view(*list).answer = true;
                list->wpDelete(0);
                list->wpDeleteRows({2, 0, 0});
            }},
        {"cells, one refused", 4,
            [&] {
                list->setCellValue(5, "altitude", "12"); // an unknown value becomes known
                list->setCellValue(1, "wpName", "Bee");
                list->setCellValue(1, "latitude", "12 30 N");
                list->setCellValue(1, "altitude", "tall");
                list->setCellValue(2, "wpComment", "");
            }},
    };
    std::string error;
    for (const auto& row : listRows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(list->writeToFile(folder.file(std::string(row.what) + ".nvw").string(), error)) << error;
        // A waypoint of a route is changed back in place, not replaced.
        expectUndoAndRedo(*list, row.steps, row.edit, [&] { EXPECT_EQ(list->waypointList()[1], b); });
        while (list->undoStack().canUndo())
            list->undoStack().undo();
    }
    // Saving moves the unedited point; undoing past it edits again.
    list->undoStack().redo();
    ASSERT_TRUE(list->writeToFile(folder.file("last.nvw").string(), error)) << error;
    list->undoStack().undo();
    EXPECT_TRUE(list->isDocumentEdited());
}

// The planning figures follow the chosen units; rows move by dragging
// while the route's own order is shown.
TEST_F(RouteLogic, TheTableShowsLegsInTheChosenUnitsAndRowsMoveByDragging)
{
    auto route = desk.route({Waypoint::create("P", "", 0.0f, 0.0f, 0.0f), Waypoint::create("Q", "", 0.0f, 1.0f, 0.0f),
                                Waypoint::create("R", "", 1.0f, 1.0f, 0.0f)},
        "Square");
    WaypointTableModel& table = route->routeTableModel();
    table.setColumns({"wpName", "legDistance", "legCourse", "totalDistance"});
    const auto shown = [&table](int row) {
        QStringList texts;
        for (int column = 0; column < table.columnCount(); ++column)
            texts << table.index(row, column).data().toString();
        return texts.join('|');
    };
    // A degree of longitude on the equator, then a degree of latitude.
    EXPECT_EQ(shown(0), "P|||0.00");
    EXPECT_EQ(shown(1), "Q|60.11|090\u00B0T|60.11");
    EXPECT_EQ(shown(2), "R|59.71|000\u00B0T|119.81");
    EXPECT_EQ(table.headerData(1, Qt::Horizontal).toString(), "Leg (nm)");
    const struct {
        int row;
        const char *leg, *total, *header;
    } units[] = {{1, "111.32", "221.89", "Total (km)"}, {2, "69.17", "137.88", "Total (mi)"},
        {3, "111319", "221894", "Total (m)"}, {0, "60.11", "119.81", "Total (nm)"}};
    for (const auto& row : units) {
        desk.units = UnitSystem::forRow(row.row)->code;
        ControlState matrix;
        matrix.selectedRow = row.row;
        desk.center.post(TRVUnitsChanged, matrix);
        EXPECT_EQ(table.index(1, 1).data().toString(), row.leg);
        EXPECT_EQ(table.index(2, 3).data().toString(), row.total);
        EXPECT_EQ(table.headerData(3, Qt::Horizontal).toString(), row.header);
    }

    // The first row dropped below the last, then the last onto the first.
    std::unique_ptr<QMimeData> dragged(table.mimeData({table.index(0, 0)}));
    EXPECT_TRUE(table.dropMimeData(dragged.get(), Qt::MoveAction, -1, -1, {}));
    EXPECT_EQ(namesIn(*route), "QRP");
    dragged.reset(table.mimeData({table.index(2, 0)}));
    EXPECT_TRUE(table.dropMimeData(dragged.get(), Qt::MoveAction, -1, -1, table.index(0, 0)));
    EXPECT_EQ(namesIn(*route), "PQR");
    EXPECT_EQ(desk.view(*route).selectedRow, 0);
    EXPECT_TRUE(table.flags(table.index(0, 0)).testFlag(Qt::ItemIsDragEnabled));
    table.sort(0, Qt::DescendingOrder);
    EXPECT_FALSE(table.flags(table.index(0, 0)).testFlag(Qt::ItemIsDragEnabled));
    EXPECT_FALSE(table.dropMimeData(dragged.get(), Qt::MoveAction, 0, 0, {}));
}

TEST_F(RouteLogic, ReverseTurnsTheRouteAndItsNameAndRenamingRetitles)
{
    const std::pair<std::string, std::string> names[]
        = {{"Coast Run", "Coast Run (REVERSE)"}, {"Coast Run (REVERSE)", "Coast Run"}, {" (REVERSE)", ""},
            {"(REVERSE)", "(REVERSE) (REVERSE)"}, {"", " (REVERSE)"}, {"Ab (REVERSE) x", "Ab (REVERSE) x (REVERSE)"}};
    for (const auto& [name, reversed] : names)
        EXPECT_EQ(RouteDocument::reversedName(name), reversed) << name;

    auto document = desk.route(waypoints("ABC"), "Coast Run");
    int retitled = 0;
    document->setStateListener([&retitled] { ++retitled; });
    EXPECT_EQ(document->displayName(), "Coast Run");
    document->routeReverse();
    EXPECT_EQ(namesIn(*document), "CBA");
    EXPECT_EQ(document->form().text(fd::routeName), "Coast Run (REVERSE)");
    EXPECT_EQ(document->displayName(), "Coast Run (REVERSE)");
    EXPECT_EQ(document->routeTableModel().index(0, 1).data().toString(), "C");
    EXPECT_GT(retitled, 0);

    document->updateChangeCount(Document::ChangeType::Cleared);
    retitled = 0;
    document->routeRename(); // unchanged
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_EQ(retitled, 0);
    type(document->form(), {{fd::routeName, ""}});
    document->routeRename();
    EXPECT_EQ(document->route()->routeName(), "");
    EXPECT_EQ(document->displayName(), "Untitled");
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_GT(retitled, 0);

    // An unnamed route stays unnamed while the field is empty.
    auto unnamed = desk.route(waypoints("AB"));
    unnamed->routeRename();
    EXPECT_FALSE(unnamed->route()->routeName().has_value());
    EXPECT_FALSE(unnamed->isDocumentEdited());
}

TEST_F(RouteLogic, LoadingAFileUnlocksAndShowsItsName)
{
    ScratchDirectory folder;
    const std::string path = folder.file("coast.nvr").string();
    std::string error;
    ASSERT_TRUE(desk.route(waypoints("AB"), "Coast")->writeToFile(path, error)) << error;
    auto document = desk.route(waypoints("C"));
    document->routeAddInsert(std::nullopt);
    desk.center.post(TRVRouteIsActive, document->route());
    ASSERT_TRUE(document->readFromFile(path, error)) << error;
    EXPECT_FALSE(document->routeLocked());
    EXPECT_FALSE(desk.view(*document).sheetOpen);
    EXPECT_EQ(document->form().text(fd::routeName), "Coast");
    EXPECT_EQ(namesIn(*document), "AB");
    EXPECT_EQ(document->routeTableModel().rowCount(), 2);
}

TEST(WaypointTable, ShowsSortsAndEditsByColumn)
{
    ensureCoreApplication();
    // Three minutes of latitude are about three nautical miles.
    WaypointList list{Waypoint::create("A", "x", -9.95f, 0.0f, 12.34f), Waypoint::create("B", "z", NAN, 0.0f, 0.0f),
        Waypoint::create("C", "y", -10.0f, 0.0f, NAN)};
    WaypointTableModel model([&list] { return &list; });
    model.setColumns({"index", "wpName", "wpComment", "latitude", "altitude", "distance"});
    model.reload();
    const auto column = [&model](int index) {
        std::string shown;
        for (int row = 0; row < model.rowCount(); ++row)
            shown += model.index(row, index).data().toString().toStdString() + ";";
        return shown;
    };
    EXPECT_EQ(column(0) + column(3) + column(4) + column(5), "0;1;2;-9.95;;-10;12.3;0.0;;;;;");
    model.sort(5, Qt::DescendingOrder); // no origin yet: no distances to sort by
    EXPECT_EQ(column(1), "A;B;C;");
    model.sort(-1, Qt::AscendingOrder);
    // A new origin redraws every cell.
    std::pair<QModelIndex, QModelIndex> redrawn;
    QObject::connect(
        &model, &QAbstractItemModel::dataChanged, [&redrawn](const QModelIndex& from, const QModelIndex& to) {
            redrawn = {from, to};
        });
    model.setDistanceOrigin(Waypoint::create("O", "", -10.0f, 0.0f, 0.0f));
    EXPECT_NEAR(model.index(0, 5).data().toDouble(), 3.0, 0.015);
    EXPECT_EQ(column(5), model.index(0, 5).data().toString().toStdString() + ";;0.00;");
    EXPECT_EQ(redrawn, std::make_pair(model.index(0, 0), model.index(2, 5)));
    EXPECT_EQ(model.index(0, 4).data(Qt::EditRole).toString(), "12.34");
    EXPECT_EQ(model.headerData(5, Qt::Horizontal).toString(), "Distance (nm)");
    // In kilometres: three nautical miles are 5.556 km.
    model.setDistanceUnits(*UnitSystem::forCode('m'));
    EXPECT_NEAR(model.index(0, 5).data().toDouble(), 3.0 * 1.852, 0.03);
    EXPECT_EQ(model.headerData(5, Qt::Horizontal).toString(), "Distance (km)");
    model.setDistanceUnits(*UnitSystem::forCode('n'));

    // Unknown values last in either direction; the index column counts rows.
    const struct {
        int column;
        Qt::SortOrder order;
        const char* names;
    } sorts[] = {{3, Qt::AscendingOrder, "C;A;B;"}, {3, Qt::DescendingOrder, "A;C;B;"},
        {2, Qt::AscendingOrder, "A;C;B;"}, {1, Qt::DescendingOrder, "C;B;A;"}, {5, Qt::AscendingOrder, "C;A;B;"},
        {0, Qt::DescendingOrder, "C;B;A;"}, {-1, Qt::AscendingOrder, "A;B;C;"}};
    for (const auto& sort : sorts) {
        model.sort(sort.column, sort.order);
        EXPECT_EQ(column(1) + column(0), sort.names + std::string("0;1;2;")) << sort.column << " " << sort.order;
    }
    model.sort(3, Qt::AscendingOrder);
    EXPECT_EQ(std::tuple(model.listIndex(0), model.rowOfListIndex(2), model.rowOfListIndex(1), model.listIndex(3),
                  model.rowOfListIndex(3)),
        std::tuple(2, 0, 2, -1, -1));

    // Edits reach the list's waypoint of the row shown, field columns only.
    EXPECT_FALSE(model.flags(model.index(0, 1)).testFlag(Qt::ItemIsEditable));
    std::vector<std::pair<int, QString>> edits;
    model.setEditor([&edits](int listIndex, const QString& name, const QString&) {
        edits.emplace_back(listIndex, name);
        return true;
    });
    for (int c = 0; c < model.columnCount(); ++c)
        EXPECT_EQ(model.flags(model.index(0, c)).testFlag(Qt::ItemIsEditable), c > 0 && c < 5) << c;
    EXPECT_TRUE(model.setData(model.index(0, 2), "w"));
    EXPECT_FALSE(model.setData(model.index(0, 2), "w", Qt::DisplayRole));
    EXPECT_EQ(edits, (std::vector<std::pair<int, QString>>{{2, "wpComment"}}));
}

TEST(FormFields, TellTheirListenerOfEveryChangeTheLogicMakes)
{
    FormState form;
    Names changed;
    form.setListener([&changed](std::string_view name) { changed.emplace_back(name); });
    EXPECT_EQ(std::tuple(form.text("a"), form.isEnabled("a"), form.hasText("a"), form.hasEnabled("a")),
        std::tuple("", true, false, false));
    form.setText("a", "");
    form.setText("a", "");
    form.setText("a", "x");
    form.setEnabled("b", true);
    form.setEnabled("b", true);
    form.setEnabled("b", false);
    form.takeUserText("c", "typed");
    EXPECT_EQ(changed, (Names{"a", "a", "b", "b"}));
    EXPECT_EQ(std::tuple(form.hasText("a"), form.hasEnabled("b"), form.isEnabled("b")), std::tuple(true, true, false));
    EXPECT_EQ(std::tuple(form.text("c"), form.hasText("c"), form.hasEnabled("c")), std::tuple("typed", true, false));
}

TEST(FieldNumbers, AreTheShortestTextThatReadsBackTheSame)
{
    const std::pair<float, const char*> rows[] = {
        {0.1f, "0.1"}, {-33.5f, "-33.5"}, {12.34f, "12.34"}, {1e-7f, "1e-07"}, {9.85107421875f, "9.851074"}, {NAN, ""}};
    for (const auto& [value, text] : rows)
        EXPECT_EQ(FieldText::fromFloat(value), text) << text;
    EXPECT_EQ(FieldText::fromInt(-12), "-12");
}

} // namespace
} // namespace navora
