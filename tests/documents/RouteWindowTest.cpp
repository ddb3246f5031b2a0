#include "documents/DocumentDesk.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace navora {
namespace {

using test::cell;
using test::click;
using test::control;
using test::doubleClickRow;
using test::enterInto;
using test::namesOf;
using test::selectRow;
using test::typeInto;

WaypointPtr waypoint(const std::string& name, float latitude = 1.0f, float longitude = 2.0f)
{
    return Waypoint::create(name, name + " comment", latitude, longitude, 0.0f);
}

class RouteWindowTest : public testing::Test {
protected:
    RouteWindowTest()
    {
        list = &desk.newWaypointList(
            {waypoint("A"), waypoint("B"), waypoint("C"), waypoint("D"), waypoint("E", -33.8568f, 151.2153f)});
    }
    WaypointPtr at(char name) const { return list->waypointDocument().waypointList()[static_cast<size_t>(name - 'A')]; }
    std::vector<WaypointPtr> waypoints(const std::string& names) const
    {
        std::vector<WaypointPtr> result;
        for (const char name : names)
            result.push_back(at(name));
        return result;
    }
    QPushButton& button(QWidget& root, const char* name) { return control<QPushButton>(root, name); }
    QLineEdit& field(RouteWindow& window, const char* name) { return control<QLineEdit>(window.detailPanel(), name); }
    QTableView& table(RouteWindow& window) { return control<QTableView>(window, "routeTable"); }
    QString boxTitle(RouteWindow& window) { return control<QGroupBox>(window.detailPanel(), "wpBox").title(); }
    std::string routeNames(RouteWindow& window) const
    {
        std::string names;
        for (const std::string& name : namesOf(window.routeDocument().waypointList()))
            names += name;
        return names;
    }

    test::DocumentDesk desk;
    WaypointWindow* list = nullptr;
};

TEST_F(RouteWindowTest, AddInsertChangeRemoveAndClear)
{
    RouteWindow& window = desk.newRoute(waypoints("ABC"));
    QPushButton& addInsert = button(window, "routeAddInsertButton");
    QPushButton& detailButton = button(window.detailPanel(), "detailAddInsertChangeButton");

    // Nothing selected: append.
    EXPECT_EQ(addInsert.text(), "Add");
    click(addInsert);
    EXPECT_TRUE(window.detailPanel().isVisible());
    EXPECT_EQ(boxTitle(window), "Waypoint #3");
    EXPECT_FALSE(detailButton.isEnabled());
    enterInto(field(window, "wpName"), "d");
    EXPECT_EQ(field(window, "wpName").text(), "D");
    EXPECT_EQ(field(window, "wpComment").text(), "D comment");
    EXPECT_EQ(detailButton.text(), "Add");
    click(detailButton);
    EXPECT_FALSE(window.detailPanel().isVisible());
    EXPECT_EQ(routeNames(window), "ABCD");
    EXPECT_EQ(window.routeDocument().waypointList()[3], at('D')); // shared, not copied

    // A row selected: insert before it.
    selectRow(table(window), 1);
    EXPECT_EQ(addInsert.text(), "Insert");
    click(addInsert);
    EXPECT_EQ(boxTitle(window), "Waypoint #1");
    EXPECT_EQ(field(window, "wpName").text(), "B");
    EXPECT_EQ(detailButton.text(), "Insert");
    enterInto(field(window, "wpName"), "E");
    click(detailButton);
    EXPECT_EQ(routeNames(window), "AEBCD");

    selectRow(table(window), 0);
    click(button(window, "routeChangeButton"));
    EXPECT_EQ(boxTitle(window), "Waypoint #0");
    EXPECT_EQ(detailButton.text(), "Change");
    enterInto(field(window, "wpName"), "c");
    click(detailButton);
    EXPECT_EQ(routeNames(window), "CEBCD");

    selectRow(table(window), 2);
    click(button(window, "routeRemoveButton"));
    EXPECT_EQ(routeNames(window), "CECD");
    EXPECT_FALSE(button(window, "routeRemoveButton").isEnabled()); // the reload drops the selection

    click(button(window, "routeClearAllButton"));
    EXPECT_EQ(routeNames(window), "");
    EXPECT_EQ(table(window).model()->rowCount(), 0);
    EXPECT_TRUE(window.routeDocument().isDocumentEdited());
}

TEST_F(RouteWindowTest, AddTwiceWithoutANewNameAppendsTheSameWaypointTwice)
{
    RouteWindow& window = desk.newRoute();
    click(button(window, "routeAddInsertButton"));
    enterInto(field(window, "wpName"), "a");
    click(button(window.detailPanel(), "detailAddInsertChangeButton"));
    click(button(window, "routeAddInsertButton"));
    EXPECT_EQ(field(window, "wpName").text(), "A");
    click(button(window.detailPanel(), "detailAddInsertChangeButton"));
    EXPECT_EQ(routeNames(window), "AA");
}

TEST_F(RouteWindowTest, NameLookupIgnoresCaseAndTakesTheLastList)
{
    const WaypointPtr second = Waypoint::create("HOME", "second list", 2.0f, 2.0f, 0.0f);
    desk.newWaypointList({Waypoint::create("Home", "first list", 1.0f, 1.0f, 0.0f)});
    desk.newWaypointList({second});
    RouteWindow& window = desk.newRoute();
    click(button(window, "routeAddInsertButton"));
    enterInto(field(window, "wpName"), "home");
    EXPECT_EQ(window.routeDocument().workingWP(), second);
    EXPECT_EQ(field(window, "wpComment").text(), "second list");

    // A name in no open list: nothing to add.
    enterInto(field(window, "wpName"), "nowhere");
    EXPECT_EQ(window.routeDocument().workingWP(), nullptr);
    EXPECT_EQ(field(window, "wpName").text(), "nowhere");
    EXPECT_EQ(field(window, "wpComment").text(), "");
    EXPECT_EQ(field(window, "wpLatitude").text(), "");
    EXPECT_FALSE(button(window.detailPanel(), "detailAddInsertChangeButton").isEnabled());
}

TEST_F(RouteWindowTest, TheSheetShowsThePositionInTheChosenFormat)
{
    RouteWindow& window = desk.newRoute();
    click(button(window, "routeAddInsertButton"));
    enterInto(field(window, "wpName"), "E");
    EXPECT_EQ(field(window, "wpLatitude").text(), "33.856800° S");
    EXPECT_EQ(field(window, "wpLongitude").text(), "151.215302° E");
    QComboBox& format = control<QComboBox>(window.detailPanel(), "wpLatLonFormat");
    QTest::keyClick(&format, Qt::Key_Down);
    EXPECT_EQ(field(window, "wpLatitude").text(), "33° 51.4080' S");
    QTest::keyClick(&format, Qt::Key_Down);
    EXPECT_EQ(field(window, "wpLatitude").text(), "33° 51' 24.48\" S");
    EXPECT_EQ(field(window, "wpLongitude").text(), "151° 12' 55.09\" E");
    EXPECT_EQ(at('E')->latitude(), -33.8568f);
}

TEST_F(RouteWindowTest, APickListHandsItsWaypointToTheRouteSheet)
{
    RouteWindow& window = desk.newRoute(waypoints("AB"));
    selectRow(table(window), 1);
    click(button(window, "routeAddInsertButton"));
    click(button(window.detailPanel(), "wpPickListButton"));
    WaypointDocument& pickList = list->waypointDocument();
    EXPECT_EQ(pickList.openedForRoute().get(), &window.routeDocument());

    QTableView& listTable = control<QTableView>(*list, "wpTable");
    list->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list));
    test::PostRecorder posts(desk.center, {TRVWaypointActivated, TRVRouteWaypointSelected});
    selectRow(listTable, 3);
    EXPECT_EQ(control<QPushButton>(*list, "wpActivateButton").text(), "Select");
    doubleClickRow(listTable, 3);
    EXPECT_EQ(posts.names(), (std::vector<std::string>{"TRVRouteWaypointSelected"}));
    EXPECT_EQ(window.routeDocument().workingWP(), at('D'));
    EXPECT_EQ(field(window, "wpName").text(), "D");
    QPushButton& detailButton = button(window.detailPanel(), "detailAddInsertChangeButton");
    EXPECT_EQ(detailButton.text(), "Insert");
    click(detailButton);
    EXPECT_EQ(routeNames(window), "ADB");
    EXPECT_EQ(pickList.openedForRoute(), nullptr);
}

TEST_F(RouteWindowTest, APickListForOneRouteDoesNotFillAnother)
{
    RouteWindow& first = desk.newRoute();
    RouteWindow& second = desk.newRoute();
    first.routeDocument().wpPickList();
    second.routeDocument().wpPickList();
    list->waypointDocument().wpActivateSelect(0);
    EXPECT_EQ(first.routeDocument().workingWP(), nullptr);
    EXPECT_EQ(second.routeDocument().workingWP(), at('A'));
}

TEST_F(RouteWindowTest, WithoutAnOpenListThePickListAsksForAFile)
{
    // Save the list, close it, then ask for a pick list.
    WaypointDocument& document = list->waypointDocument();
    std::string error;
    ASSERT_TRUE(document.writeToFile(desk.file("points.nvw").toStdString(), error)) << error;
    list->close();
    test::processEvents();
    ASSERT_TRUE(desk.controller->documents().empty());

    RouteWindow& window = desk.newRoute();
    desk.dialogs->openPaths = {std::nullopt};
    window.routeDocument().wpPickList();
    ASSERT_EQ(desk.dialogs->openExtensions.size(), 1u);
    EXPECT_EQ(desk.dialogs->openExtensions[0], QStringList{"nvw"});
    EXPECT_EQ(desk.controller->documents().size(), 1u);

    desk.dialogs->openPaths = {desk.file("points.nvw")};
    window.routeDocument().wpPickList();
    ASSERT_EQ(desk.controller->documents().size(), 2u);
    auto* opened = static_cast<WaypointDocument*>(desk.controller->documents()[1]);
    EXPECT_EQ(opened->openedForRoute().get(), &window.routeDocument());
    EXPECT_EQ(opened->waypointList().size(), 5u);
}

TEST_F(RouteWindowTest, JoinSegmentAndDirectToPostInOrder)
{
    RouteWindow& window = desk.newRoute(waypoints("ABCDE"), "Coast Run");
    RouteDocument& document = window.routeDocument();
    test::PostRecorder posts(desk.center, {TRVCheckGPSRunning, TRVRouteActivated, TRVWaypointActivated});
    QPushButton& join = button(window, "routeJoinSegmentButton");

    selectRow(table(window), 2);
    EXPECT_EQ(join.text(), "Join segment B to C");
    click(join);
    EXPECT_EQ(document.route()->activeIndex(), 2);
    EXPECT_EQ(posts.names(), (std::vector<std::string>{"TRVCheckGPSRunning", "TRVRouteActivated"}));
    EXPECT_EQ(posts.posts[0].object.sender<Document>(), &document);
    EXPECT_EQ(posts.posts[1].object.route(), document.route());

    for (const int row : {0, -1}) {
        selectRow(table(window), row);
        EXPECT_EQ(join.text(), "Auto-join nearest route segment");
    }
    posts.posts.clear();
    click(join);
    EXPECT_EQ(document.route()->activeIndex(), 5);

    // Direct-to: the route takes the typed name, then three posts.
    typeInto(control<QLineEdit>(window, "routeName"), "Harbour");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    posts.posts.clear();
    doubleClickRow(table(window), 3);
    EXPECT_EQ(document.route()->activeIndex(), 3);
    EXPECT_EQ(document.route()->routeName(), "Harbour");
    EXPECT_EQ(
        posts.names(), (std::vector<std::string>{"TRVCheckGPSRunning", "TRVRouteActivated", "TRVWaypointActivated"}));
    EXPECT_EQ(posts.posts[2].object.waypoint(), at('D'));

    posts.posts.clear();
    document.routeDirectTo(std::nullopt);
    EXPECT_EQ(document.route()->activeIndex(), 0);
    EXPECT_EQ(posts.posts.back().object.waypoint(), at('A'));

    RouteWindow& empty = desk.newRoute();
    posts.posts.clear();
    empty.routeDocument().routeDirectTo(std::nullopt);
    empty.routeDocument().routeJoinSegment(std::nullopt);
    EXPECT_TRUE(posts.posts.empty());
}

TEST(RouteNameTest, ReversingAddsOrRemovesTheSuffix)
{
    const std::pair<std::string, std::string> rows[] = {
        {"Coast Run", "Coast Run (REVERSE)"},
        {"Coast Run (REVERSE)", "Coast Run"},
        {" (REVERSE)", ""},
        {"(REVERSE)", "(REVERSE) (REVERSE)"},
        {"", " (REVERSE)"},
        {"Ab (REVERSE) x", "Ab (REVERSE) x (REVERSE)"},
    };
    for (const auto& [name, reversed] : rows)
        EXPECT_EQ(RouteDocument::reversedName(name), reversed) << name;
}

TEST_F(RouteWindowTest, ReverseTurnsTheRouteAndItsName)
{
    RouteWindow& window = desk.newRoute(waypoints("ABC"), "Coast Run");
    QLineEdit& name = control<QLineEdit>(window, "routeName");
    EXPECT_EQ(name.text(), "Coast Run");
    EXPECT_EQ(window.windowTitle(), "Coast Run[*]");
    click(button(window, "routeReverseButton"));
    EXPECT_EQ(routeNames(window), "CBA");
    EXPECT_EQ(name.text(), "Coast Run (REVERSE)");
    EXPECT_EQ(window.routeDocument().route()->routeName(), "Coast Run (REVERSE)");
    EXPECT_EQ(cell(table(window), 0, 1), "C");
    click(button(window, "routeReverseButton"));
    EXPECT_EQ(routeNames(window), "ABC");
    EXPECT_EQ(name.text(), "Coast Run");
}

TEST_F(RouteWindowTest, RenamingRetitlesTheUntitledWindow)
{
    RouteWindow& window = desk.newRoute(waypoints("AB"));
    EXPECT_EQ(window.windowTitle().toStdString(), window.routeDocument().Document::displayName() + "[*]");
    enterInto(control<QLineEdit>(window, "routeName"), "Evening Sail");
    EXPECT_EQ(window.routeDocument().route()->routeName(), "Evening Sail");
    EXPECT_EQ(window.windowTitle(), "Evening Sail[*]");
    EXPECT_TRUE(window.isWindowModified());
}

TEST_F(RouteWindowTest, TheActiveRouteIsLockedWhicheverWindowActivatedIt)
{
    RouteWindow& first = desk.newRoute(waypoints("ABC"));
    RouteWindow& second = desk.newRoute(waypoints("DE"));
    const auto locked = [this](RouteWindow& window) {
        const bool alternating = table(window).alternatingRowColors();
        for (const char* name : {"routeAddInsertButton", "routeClearAllButton", "routeReverseButton"})
            EXPECT_EQ(button(window, name).isEnabled(), alternating) << name;
        return !alternating;
    };
    EXPECT_FALSE(locked(first));

    selectRow(table(first), 1);
    first.routeDocument().routeDirectTo(1);
    // What the navigation engine answers, here from the test.
    desk.center.post(TRVRouteIsActive, first.routeDocument().route());
    EXPECT_TRUE(locked(first));
    EXPECT_FALSE(locked(second));
    selectRow(table(first), 2);
    EXPECT_TRUE(button(first, "routeDirectToButton").isEnabled());
    EXPECT_FALSE(button(first, "routeChangeButton").isEnabled());
    EXPECT_FALSE(button(first, "routeRemoveButton").isEnabled());
    EXPECT_FALSE(button(first, "routeJoinSegmentButton").isEnabled());
    first.routeDocument().routeClearAll(); // refused while locked
    EXPECT_EQ(routeNames(first), "ABC");

    desk.center.post(TRVRouteIsActive, second.routeDocument().route());
    EXPECT_FALSE(locked(first));
    EXPECT_TRUE(locked(second));
    EXPECT_TRUE(button(first, "routeRemoveButton").isEnabled());

    desk.center.post(TRVRouteIsActive, NotificationObject());
    EXPECT_FALSE(locked(second));
}

TEST_F(RouteWindowTest, AOneWaypointRouteCannotBeJoinedOrReversed)
{
    RouteWindow& window = desk.newRoute(waypoints("A"));
    EXPECT_FALSE(button(window, "routeJoinSegmentButton").isEnabled());
    EXPECT_FALSE(button(window, "routeReverseButton").isEnabled());
    selectRow(table(window), 0);
    EXPECT_TRUE(button(window, "routeDirectToButton").isEnabled());
    EXPECT_FALSE(button(window, "routeJoinSegmentButton").isEnabled());
}

} // namespace
} // namespace navora
