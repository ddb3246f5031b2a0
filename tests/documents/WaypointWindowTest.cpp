#include "documents/DocumentDesk.h"

#include "documents/DocumentFieldNames.h"
#include "model/NumberText.h"
#include "support/LogCapture.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

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

WaypointPtr waypoint(const std::string& name, float latitude, float longitude, const std::string& comment = {})
{
    return Waypoint::create(name, comment, latitude, longitude, 0.0f);
}

class WaypointWindowTest : public testing::Test {
protected:
    QLineEdit& field(WaypointWindow& window, const char* name)
    {
        return control<QLineEdit>(window.detailPanel(), name);
    }
    QPushButton& button(QWidget& root, const char* name) { return control<QPushButton>(root, name); }
    QTableView& table(WaypointWindow& window) { return control<QTableView>(window, "wpTable"); }
    WaypointWindow& openAddSheet(const std::vector<WaypointPtr>& waypoints = {})
    {
        WaypointWindow& window = desk.newWaypointList(waypoints);
        click(button(window, "wpAddButton"));
        return window;
    }
    void addFromSheet(WaypointWindow& window, const QString& name, const QString& latitude, const QString& longitude)
    {
        click(button(window, "wpAddButton"));
        typeInto(field(window, "wpName"), name);
        typeInto(field(window, "wpLatitude"), latitude);
        typeInto(field(window, "wpLongitude"), longitude);
        click(button(window.detailPanel(), "detailAddUpdButton"));
    }

    test::DocumentDesk desk;
};

struct DecimalEntry {
    const char* typed;
    const char* hemisphere;
    const char* degrees;
    const char* minutes;
    const char* seconds;
};

TEST_F(WaypointWindowTest, TypingADecimalLatitudeFillsTheDegreeFields)
{
    const DecimalEntry rows[] = {
        {"-0.5", "S", "0", "30", "0"},
        {"12.5", "N", "12", "30", "0"},
        {"59.999999", "N", "60", "0", "0"},
        {"north", "N", "0", "0", "0"},
    };
    WaypointWindow& window = openAddSheet();
    for (const DecimalEntry& row : rows) {
        SCOPED_TRACE(row.typed);
        typeInto(field(window, "wpLatitude"), row.typed);
        EXPECT_EQ(control<QComboBox>(window.detailPanel(), "wpNS").currentText(), row.hemisphere);
        EXPECT_EQ(field(window, "wpLatDeg").text(), row.degrees);
        EXPECT_EQ(field(window, "wpLatMin").text(), row.minutes);
        EXPECT_EQ(field(window, "wpLatSec").text(), row.seconds);
    }
}

TEST_F(WaypointWindowTest, TypingADecimalLongitudeFillsTheDegreeFields)
{
    WaypointWindow& window = openAddSheet();
    typeInto(field(window, "wpLongitude"), "-122.4194");
    EXPECT_EQ(control<QComboBox>(window.detailPanel(), "wpEW").currentText(), "W");
    EXPECT_EQ(field(window, "wpLonDeg").text(), "122");
    EXPECT_EQ(field(window, "wpLonMin").text(), "25");
    // The float 9.85107421875 in its shortest form.
    EXPECT_EQ(field(window, "wpLonSec").text(), "9.851074");
    EXPECT_EQ(NumberText::readFloat(field(window, "wpLonSec").text().toStdString()), 9.85107421875f);
}

TEST_F(WaypointWindowTest, TypingDegreesMinutesAndSecondsSetsTheDecimalField)
{
    WaypointWindow& window = openAddSheet();
    QLineEdit& latitude = field(window, "wpLatitude");
    typeInto(field(window, "wpLatDeg"), "12");
    typeInto(field(window, "wpLatMin"), "30");
    typeInto(field(window, "wpLatSec"), "0");
    EXPECT_EQ(latitude.text(), "12.5");

    // A change of hemisphere re-signs the value.
    QComboBox& hemisphere = control<QComboBox>(window.detailPanel(), "wpNS");
    QTest::keyClick(&hemisphere, Qt::Key_Down);
    EXPECT_EQ(hemisphere.currentText(), "S");
    EXPECT_EQ(latitude.text(), "-12.5");
    QTest::keyClick(&hemisphere, Qt::Key_Up);

    // Used as typed: no carry, no range check.
    typeInto(field(window, "wpLatDeg"), "10");
    typeInto(field(window, "wpLatMin"), "75");
    EXPECT_EQ(latitude.text(), "11.25");

    // Without degrees nothing is computed.
    typeInto(field(window, "wpLatDeg"), "");
    typeInto(field(window, "wpLatMin"), "15");
    EXPECT_EQ(latitude.text(), "11.25");

    typeInto(field(window, "wpLonDeg"), "3");
    typeInto(field(window, "wpLonMin"), "30");
    EXPECT_EQ(field(window, "wpLongitude").text(), "3.5");
}

TEST_F(WaypointWindowTest, AddAndActivateNeedANameAndAPositionInRange)
{
    struct Row {
        const char* name;
        const char* latitude;
        const char* longitude;
        bool ready;
    };
    const Row rows[] = {
        {"A", "90", "180", true}, {"A", "-90", "-180", true}, {"A", "12.5", "", false}, {"A", "90.5", "0", false},
        {"A", "0", "-180.5", false}, {"", "1", "1", false}, {"A", "", "1", false},
        {"A", "not a number", "0", true}, // reads as 0
    };
    WaypointWindow& window = openAddSheet();
    QPushButton& add = button(window.detailPanel(), "detailAddUpdButton");
    QPushButton& activate = button(window.detailPanel(), "detailActivateButton");
    EXPECT_FALSE(add.isEnabled());
    EXPECT_FALSE(activate.isEnabled());
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " " + row.latitude + " " + row.longitude);
        typeInto(field(window, "wpName"), row.name);
        typeInto(field(window, "wpLatitude"), row.latitude);
        typeInto(field(window, "wpLongitude"), row.longitude);
        EXPECT_EQ(add.isEnabled(), row.ready);
        EXPECT_EQ(activate.isEnabled(), row.ready);
    }
}

TEST_F(WaypointWindowTest, AddedWaypointsAreKeptInNameOrder)
{
    WaypointWindow& window = desk.newWaypointList();
    for (const char* name : {"Bravo", "Alpha", "Charlie", "alpha"})
        addFromSheet(window, name, "1", "2");
    const WaypointDocument& document = window.waypointDocument();
    EXPECT_EQ(namesOf(document.waypointList()), (std::vector<std::string>{"Alpha", "Bravo", "Charlie", "alpha"}));
    EXPECT_FALSE(window.detailPanel().isVisible());
    EXPECT_EQ(cell(table(window), 0, 0), "Alpha");
    EXPECT_EQ(cell(table(window), 3, 0), "alpha");
    EXPECT_TRUE(document.isDocumentEdited());
    EXPECT_TRUE(window.isWindowModified());
}

TEST_F(WaypointWindowTest, TypingANameSwitchesBetweenUpdateAndAdd)
{
    WaypointWindow& window = openAddSheet({waypoint("Home", 1.5f, 2.5f, "front door")});
    const WaypointPtr home = window.waypointDocument().waypointList().front();
    QGroupBox& box = control<QGroupBox>(window.detailPanel(), "wpBox");
    QPushButton& add = button(window.detailPanel(), "detailAddUpdButton");
    EXPECT_EQ(box.title(), "New waypoint");
    EXPECT_EQ(add.text(), "Add");

    enterInto(field(window, "wpName"), "Home");
    EXPECT_EQ(box.title(), "Home");
    EXPECT_EQ(add.text(), "Update");
    EXPECT_EQ(field(window, "wpLatitude").text(), "1.5");
    EXPECT_EQ(field(window, "wpComment").text(), "front door");
    EXPECT_TRUE(button(window.detailPanel(), "detailDeleteButton").isEnabled());

    // The waypoint list's lookup is case-sensitive.
    typeInto(field(window, "wpLatitude"), "3");
    enterInto(field(window, "wpName"), "home");
    EXPECT_EQ(add.text(), "Add");
    EXPECT_FALSE(button(window.detailPanel(), "detailDeleteButton").isEnabled());
    EXPECT_EQ(field(window, "wpLatitude").text(), "3"); // kept as typed
    click(add);

    EXPECT_EQ(namesOf(window.waypointDocument().waypointList()), (std::vector<std::string>{"Home", "home"}));
    EXPECT_EQ(home->wpName(), "Home");
    EXPECT_EQ(home->latitude(), 1.5f);
}

TEST_F(WaypointWindowTest, UpdateChangesTheEditedWaypointInPlace)
{
    WaypointWindow& window = desk.newWaypointList({waypoint("Home", 1.0f, 2.0f)});
    const WaypointPtr home = window.waypointDocument().waypointList().front();
    selectRow(table(window), 0);
    click(button(window, "wpEditButton"));
    EXPECT_EQ(control<QGroupBox>(window.detailPanel(), "wpBox").title(), "Home");
    typeInto(field(window, "wpLatitude"), "-33.5");
    typeInto(field(window, "wpComment"), "moved");
    typeInto(field(window, "wpAltitude"), "12.25");
    click(button(window.detailPanel(), "detailAddUpdButton"));
    EXPECT_EQ(window.waypointDocument().waypointList().size(), 1u);
    EXPECT_EQ(home->latitude(), -33.5f);
    EXPECT_EQ(home->wpComment(), "moved");
    EXPECT_EQ(home->altitude(), 12.25f);
}

TEST_F(WaypointWindowTest, DeletionAsksFirstAndOnlyYesDeletes)
{
    WaypointWindow& window = desk.newWaypointList({waypoint("Alpha", 1.0f, 1.0f), waypoint("Bravo", 2.0f, 2.0f)});
    selectRow(table(window), 0);
    desk.dialogs->answers = {"OOPS - no."};
    click(button(window, "wpDeleteButton"));
    ASSERT_EQ(desk.dialogs->questions.size(), 1u);
    const auto& question = desk.dialogs->questions.front();
    EXPECT_EQ(question.title, "Confirm waypoint deletion");
    EXPECT_EQ(question.text, "Really delete Alpha?");
    EXPECT_EQ(question.buttons, (QStringList{"Yes", "OOPS - no."}));
    EXPECT_EQ(window.waypointDocument().waypointList().size(), 2u);
    EXPECT_TRUE(window.detailPanel().isVisible());
    EXPECT_FALSE(window.waypointDocument().isDocumentEdited());

    desk.dialogs->answers = {"Yes"};
    click(button(window.detailPanel(), "detailDeleteButton"));
    EXPECT_EQ(namesOf(window.waypointDocument().waypointList()), (std::vector<std::string>{"Bravo"}));
    EXPECT_TRUE(window.detailPanel().isVisible());
    EXPECT_EQ(control<QGroupBox>(window.detailPanel(), "wpBox").title(), "New waypoint");
    for (const char* name : {"wpName", "wpComment", "wpLatitude", "wpLongitude", "wpAltitude", "wpLatDeg", "wpLonSec"})
        EXPECT_EQ(field(window, name).text(), "") << name;
    EXPECT_FALSE(button(window.detailPanel(), "detailAddUpdButton").isEnabled());
    EXPECT_FALSE(button(window.detailPanel(), "detailDeleteButton").isEnabled());
    EXPECT_TRUE(window.waypointDocument().isDocumentEdited());
    EXPECT_EQ(table(window).model()->rowCount(), 1);
}

TEST_F(WaypointWindowTest, SelectionEnablesTheRowButtons)
{
    WaypointWindow& window = desk.newWaypointList({waypoint("Alpha", 1.0f, 1.0f)});
    for (const char* name : {"wpEditButton", "wpDeleteButton", "wpActivateButton"})
        EXPECT_FALSE(button(window, name).isEnabled()) << name;
    selectRow(table(window), 0);
    for (const char* name : {"wpEditButton", "wpDeleteButton", "wpActivateButton"})
        EXPECT_TRUE(button(window, name).isEnabled()) << name;
    selectRow(table(window), -1);
    EXPECT_FALSE(button(window, "wpActivateButton").isEnabled());
}

TEST_F(WaypointWindowTest, ActivationPostsOrHandsTheWaypointToTheRoute)
{
    WaypointWindow& window = desk.newWaypointList({waypoint("Alpha", 1.0f, 1.0f), waypoint("Bravo", 2.0f, 2.0f)});
    WaypointDocument& document = window.waypointDocument();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    test::PostRecorder posts(desk.center, {TRVCheckGPSRunning, TRVWaypointActivated, TRVRouteWaypointSelected});

    doubleClickRow(table(window), 1);
    EXPECT_EQ(posts.names(), (std::vector<std::string>{"TRVCheckGPSRunning", "TRVWaypointActivated"}));
    EXPECT_EQ(posts.posts[0].object.sender<Document>(), &document);
    EXPECT_EQ(posts.posts[1].object.waypoint(), document.waypointList()[1]);

    // As a route's pick list: the waypoint goes to the route, once.
    RouteWindow& route = desk.newRoute();
    document.setOpenedForRoute(route.routeDocument().shared_from_this());
    selectRow(table(window), 0);
    EXPECT_EQ(button(window, "wpActivateButton").text(), "Select");
    posts.posts.clear();
    click(button(window, "wpActivateButton"));
    EXPECT_EQ(posts.names(), (std::vector<std::string>{"TRVRouteWaypointSelected"}));
    EXPECT_EQ(posts.posts[0].object.waypoint(), document.waypointList()[0]);
    EXPECT_EQ(document.openedForRoute(), nullptr);
    EXPECT_EQ(button(window, "wpActivateButton").text(), "Activate");

    posts.posts.clear();
    click(button(window, "wpActivateButton"));
    EXPECT_EQ(posts.names(), (std::vector<std::string>{"TRVCheckGPSRunning", "TRVWaypointActivated"}));
}

TEST_F(WaypointWindowTest, ActivatingFromTheSheetAddsFirst)
{
    WaypointWindow& window = openAddSheet({waypoint("Bravo", 2.0f, 2.0f)});
    test::PostRecorder posts(desk.center, {TRVCheckGPSRunning, TRVWaypointActivated});
    typeInto(field(window, "wpName"), "Alpha");
    typeInto(field(window, "wpLatitude"), "1");
    typeInto(field(window, "wpLongitude"), "1");
    click(button(window.detailPanel(), "detailActivateButton"));
    const WaypointList& list = window.waypointDocument().waypointList();
    ASSERT_EQ(namesOf(list), (std::vector<std::string>{"Alpha", "Bravo"}));
    EXPECT_EQ(posts.names(), (std::vector<std::string>{"TRVWaypointActivated"}));
    EXPECT_EQ(posts.posts[0].object.waypoint(), list[0]);
    EXPECT_FALSE(window.detailPanel().isVisible());
    EXPECT_TRUE(window.waypointDocument().isDocumentEdited());
}

TEST_F(WaypointWindowTest, NearestListIsOrderedByDistanceFromThePosition)
{
    // One minute of latitude is one nautical mile.
    const WaypointPtr ppos = waypoint("PPOS", 0.0f, 0.0f, "fix");
    WaypointWindow& window = desk.newWaypointList(
        {waypoint("Far", 3.0f / 60.0f, 0.0f), waypoint("Near", 1.0f / 60.0f, 0.0f), waypoint("Nowhere", NAN, NAN)});
    QPushButton& nearest = button(window, "showNearestButton");
    EXPECT_FALSE(nearest.isEnabled());
    EXPECT_FALSE(button(window.detailPanel(), "detailCurrentPosButton").isEnabled());

    desk.center.post(TRVcpUpdated, ppos);
    EXPECT_TRUE(nearest.isEnabled());
    EXPECT_TRUE(button(window.detailPanel(), "detailCurrentPosButton").isEnabled());
    click(nearest);
    EXPECT_TRUE(window.nearestPanel().isVisible());
    const auto& list = window.waypointDocument().nearestList();
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(namesOf(*list), (std::vector<std::string>{"Near", "Far", "Nowhere"}));
    QTableView& nearestTable = control<QTableView>(window.nearestPanel(), "nearestTable");
    EXPECT_EQ(cell(nearestTable, 0, 0), "Near");
    EXPECT_NEAR(cell(nearestTable, 0, 1).toDouble(), 1.0, 0.015);
    EXPECT_NEAR(cell(nearestTable, 1, 1).toDouble(), 3.0, 0.015);
    EXPECT_EQ(cell(nearestTable, 2, 1), ""); // no position, no distance

    // Activating from the panel closes it and navigates to the waypoint.
    test::PostRecorder posts(desk.center, {TRVCheckGPSRunning, TRVWaypointActivated});
    selectRow(nearestTable, 1);
    click(button(window.nearestPanel(), "nearestActivateButton"));
    EXPECT_EQ(posts.names(), (std::vector<std::string>{"TRVWaypointActivated"}));
    EXPECT_EQ(posts.posts[0].object.waypoint()->wpName(), "Far");
    EXPECT_FALSE(window.nearestPanel().isVisible());

    // The fix is lost: nothing offered any more.
    desk.center.post(TRVcpUpdated, NotificationObject());
    EXPECT_FALSE(nearest.isEnabled());
    EXPECT_FALSE(button(window.detailPanel(), "detailCurrentPosButton").isEnabled());
}

TEST_F(WaypointWindowTest, ANewWindowGetsTheHeldPositionAtOnce)
{
    const WaypointPtr ppos = waypoint("PPOS", 10.5f, -3.25f, "gps fix");
    ppos->setAltitude(42.0f);
    // What the GPS controller does on "TRVWDneedsCP".
    int asked = 0;
    desk.center.addObserver(&asked, TRVWDneedsCP, [&](const NotificationObject&) {
        ++asked;
        desk.center.post(TRVcpUpdated, ppos);
    });
    WaypointWindow& window = openAddSheet();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(button(window, "showNearestButton").isEnabled());
    EXPECT_EQ(window.waypointDocument().currentPos(), ppos);

    click(button(window.detailPanel(), "detailCurrentPosButton"));
    EXPECT_EQ(field(window, "wpLatitude").text(), "10.5");
    EXPECT_EQ(field(window, "wpLatDeg").text(), "10");
    EXPECT_EQ(field(window, "wpLatMin").text(), "30");
    EXPECT_EQ(control<QComboBox>(window.detailPanel(), "wpEW").currentText(), "W");
    EXPECT_EQ(field(window, "wpAltitude").text(), "42");
    EXPECT_EQ(field(window, "wpComment").text(), "gps fix");
    desk.center.removeObserver(&asked);
}

TEST_F(WaypointWindowTest, CellEditsGoThroughTheSetters)
{
    WaypointWindow& window = desk.newWaypointList({waypoint("Alpha", 1.0f, 1.0f)});
    QAbstractItemModel& model = *table(window).model();
    const WaypointPtr alpha = window.waypointDocument().waypointList().front();
    ASSERT_TRUE(model.setData(model.index(0, 2), "95"));
    EXPECT_TRUE(std::isnan(alpha->latitude()));
    EXPECT_EQ(cell(table(window), 0, 2), "");
    ASSERT_TRUE(model.setData(model.index(0, 3), " -7.25xyz"));
    EXPECT_EQ(alpha->longitude(), -7.25f);
    ASSERT_TRUE(model.setData(model.index(0, 0), "Zulu"));
    EXPECT_EQ(alpha->wpName(), "Zulu");
    EXPECT_TRUE(window.waypointDocument().isDocumentEdited());
}

TEST_F(WaypointWindowTest, RefreshSortsAndRemovesSameNamedWaypoints)
{
    test::LogCapture log;
    WaypointWindow& window = desk.newWaypointList();
    WaypointDocument& document = window.waypointDocument();
    const WaypointPtr first = waypoint("Home", 1.0f, 1.0f);
    for (const WaypointPtr& added : {waypoint("home", 3.0f, 3.0f), first, waypoint("Home", 2.0f, 2.0f)})
        document.addWP(added);
    document.refresh();
    EXPECT_EQ(namesOf(document.waypointList()), (std::vector<std::string>{"Home", "home"}));
    EXPECT_EQ(document.waypointList().front(), first);
    EXPECT_TRUE(log.contains("Import complete - 1 duplicates removed"));
    EXPECT_EQ(table(window).model()->rowCount(), 2);

    WaypointWindow& empty = desk.newWaypointList();
    empty.waypointDocument().refresh();
    EXPECT_TRUE(log.contains("Import complete - 0 duplicates removed"));
    EXPECT_TRUE(empty.waypointDocument().isDocumentEdited());
}

TEST_F(WaypointWindowTest, TheTableSortsByAnyColumnWithoutTouchingTheList)
{
    WaypointWindow& window
        = desk.newWaypointList({waypoint("A", 30.0f, 0.0f), waypoint("B", NAN, 0.0f), waypoint("C", -10.0f, 0.0f)});
    QTableView& view = table(window);
    view.sortByColumn(2, Qt::AscendingOrder);
    EXPECT_EQ(cell(view, 0, 0), "C");
    EXPECT_EQ(cell(view, 1, 0), "A");
    EXPECT_EQ(cell(view, 2, 0), "B"); // unknown last
    // Actions take the list's waypoint of the row shown.
    selectRow(view, 0);
    click(button(window, "wpEditButton"));
    EXPECT_EQ(control<QGroupBox>(window.detailPanel(), "wpBox").title(), "C");
    EXPECT_EQ(namesOf(window.waypointDocument().waypointList()), (std::vector<std::string>{"A", "B", "C"}));
}

} // namespace
} // namespace navora
