// The document windows' wiring: what the user types and clicks reaches the
// logic, and what the logic writes reaches the widgets. The rules are the
// logic's own (DocumentLogicTest).
#include "documents/DocumentDesk.h"
#include "documents/DocumentFakes.h"

#include "support/PostRecorder.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace navora {
namespace {

using test::Names;
using test::namesOf;
using test::waypoint;

template <typename T> T& control(const QWidget& root, const char* name)
{
    T* widget = root.findChild<T*>(QString::fromLatin1(name));
    if (!widget) {
        ADD_FAILURE() << "no control " << name;
        std::abort();
    }
    return *widget;
}
QPushButton& button(const QWidget& root, const char* name)
{
    return control<QPushButton>(root, name);
}
QLineEdit& field(const QWidget& root, const char* name)
{
    return control<QLineEdit>(root, name);
}
// Types into a field as the user would, replacing what it holds; Return presses its action.
void typeInto(QLineEdit& field, const QString& text, bool enter = false)
{
    field.selectAll();
    QTest::keyClick(&field, Qt::Key_Backspace);
    QTest::keyClicks(&field, text);
    if (enter)
        QTest::keyClick(&field, Qt::Key_Return);
}
void click(QAbstractButton& button)
{
    EXPECT_TRUE(button.isEnabled()) << "clicking a disabled button: " << button.objectName().toStdString();
    if (button.isEnabled())
        QTest::mouseClick(&button, Qt::LeftButton);
}
void doubleClickRow(QTableView& table, int row)
{
    const QPoint centre = table.visualRect(table.model()->index(row, 0)).center();
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, centre);
}
QString cell(const QTableView& table, int row, int column)
{
    return table.model()->index(row, column).data().toString();
}

TEST(WaypointWindow, TheSheetAndTheTableReachTheList)
{
    test::DocumentDesk desk;
    WaypointWindow& window = desk.newWaypointList({waypoint("Bravo")});
    QDialog& sheet = window.detailPanel();
    click(button(window, "wpAddButton"));
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(control<QGroupBox>(sheet, "wpBox").title(), "New waypoint");

    typeInto(field(sheet, "wpLatitude"), "-12.5");
    EXPECT_EQ(field(sheet, "wpLatDeg").text(), "12");
    EXPECT_EQ(control<QComboBox>(sheet, "wpNS").currentText(), "S");
    typeInto(field(sheet, "wpLonDeg"), "3");
    EXPECT_EQ(field(sheet, "wpLongitude").text(), "3");
    QComboBox& hemisphere = control<QComboBox>(sheet, "wpEW");
    QTest::keyClick(&hemisphere, Qt::Key_Down);
    EXPECT_EQ(field(sheet, "wpLongitude").text(), "-3");
    QPushButton& add = button(sheet, "detailAddUpdButton");
    EXPECT_FALSE(add.isEnabled());
    typeInto(field(sheet, "wpComment"), "typed");
    typeInto(field(sheet, "wpAltitude"), "7");
    // Return in a field presses Add, the sheet's default button.
    typeInto(field(sheet, "wpName"), "Alpha", true);
    EXPECT_FALSE(sheet.isVisible());
    QTableView& table = control<QTableView>(window, "wpTable");
    EXPECT_EQ(cell(table, 0, 0), "Alpha");
    EXPECT_EQ(cell(table, 0, 1), "typed");
    EXPECT_EQ(window.waypointDocument().waypointList()[0]->altitude(), 7.0f);
    EXPECT_TRUE(window.isWindowModified());

    // A row selected: its buttons; the question through the framework's panels.
    EXPECT_FALSE(button(window, "wpEditButton").isEnabled());
    table.selectRow(1);
    click(button(window, "wpEditButton"));
    EXPECT_EQ(field(sheet, "wpName").text(), "Bravo");
    click(button(sheet, "detailCancelButton"));
    EXPECT_FALSE(sheet.isVisible());
    table.selectRow(0);
    desk.dialogs->answers = {"Yes"};
    click(button(window, "wpDeleteButton"));
    ASSERT_EQ(desk.dialogs->questions.size(), 1u);
    EXPECT_EQ(desk.dialogs->questions[0].text, "Really delete Alpha?");
    EXPECT_EQ(namesOf(window.waypointDocument().waypointList()), "Bravo");
    EXPECT_EQ(table.model()->rowCount(), 1);

    control<QAction>(window, "importKMLAction").trigger();
    control<QAction>(window, "importGPXAction").trigger();
    EXPECT_EQ(desk.dialogs->openExtensions, (std::vector<QStringList>{{"kml"}, {"gpx"}}));
}

TEST(WaypointWindow, ActivationAndTheNearestPanelReachTheLogic)
{
    test::DocumentDesk desk;
    WaypointWindow& window = desk.newWaypointList({waypoint("Far", 0.05f, 0.0f), waypoint("Near", 0.01f, 0.0f)});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    test::PostRecorder posts(desk.center, {TRVWaypointActivated});
    QTableView& table = control<QTableView>(window, "wpTable");
    doubleClickRow(table, 1);
    table.selectRow(0);
    click(button(window, "wpActivateButton"));
    ASSERT_EQ(posts.posts.size(), 2u);
    EXPECT_EQ(posts.posts[0].object.waypoint()->wpName(), "Near");
    EXPECT_EQ(posts.posts[1].object.waypoint()->wpName(), "Far");

    QPushButton& nearest = button(window, "showNearestButton");
    EXPECT_FALSE(nearest.isEnabled());
    desk.center.post(TRVcpUpdated, Waypoint::create("PPOS", "here", 0.0f, 0.0f, 3.0f));
    EXPECT_TRUE(nearest.isEnabled());
    click(button(window, "wpAddButton"));
    click(button(window.detailPanel(), "detailCurrentPosButton"));
    EXPECT_EQ(field(window.detailPanel(), "wpComment").text(), "here");
    click(button(window.detailPanel(), "detailCancelButton"));

    click(nearest);
    QDialog& panel = window.nearestPanel();
    EXPECT_TRUE(panel.isVisible());
    QTableView& nearestTable = control<QTableView>(panel, "nearestTable");
    EXPECT_EQ(cell(nearestTable, 0, 0), "Near");
    EXPECT_FALSE(button(panel, "nearestActivateButton").isEnabled());
    nearestTable.selectRow(1);
    posts.posts.clear();
    click(button(panel, "nearestActivateButton"));
    ASSERT_EQ(posts.posts.size(), 1u);
    EXPECT_EQ(posts.posts[0].object.waypoint()->wpName(), "Far");
    EXPECT_FALSE(panel.isVisible());
    click(nearest);
    click(button(panel, "nearestCloseButton"));
    EXPECT_FALSE(panel.isVisible());
}

TEST(RouteWindow, TheSheetTheButtonsAndTheNameReachTheRoute)
{
    test::DocumentDesk desk;
    WaypointWindow& list = desk.newWaypointList({waypoint("A"), waypoint("B"), waypoint("C", -33.8568f, 151.2153f)});
    RouteWindow& window = desk.newRoute({waypoint("A")}, "Coast Run");
    EXPECT_EQ(window.windowTitle(), "Coast Run[*]");
    control<QAction>(window, "importKMLAction").trigger();
    EXPECT_EQ(desk.dialogs->openExtensions, std::vector<QStringList>{{"kml"}});
    QDialog& sheet = window.detailPanel();
    QTableView& table = control<QTableView>(window, "routeTable");
    click(button(window, "routeAddInsertButton"));
    EXPECT_TRUE(sheet.isVisible());
    typeInto(field(sheet, "wpName"), "c");
    emit field(sheet, "wpName").editingFinished(); // as leaving the field does: the name is looked up
    EXPECT_EQ(field(sheet, "wpComment").text(), "C comment");
    QComboBox& format = control<QComboBox>(sheet, "wpLatLonFormat");
    QTest::keyClick(&format, Qt::Key_Down);
    EXPECT_EQ(field(sheet, "wpLatitude").text(), "33° 51.4080' S");
    click(button(sheet, "detailAddInsertChangeButton"));
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(cell(table, 1, 1), "C");

    table.selectRow(1);
    EXPECT_EQ(button(window, "routeAddInsertButton").text(), "&Insert");
    click(button(window, "routeChangeButton"));
    click(button(sheet, "wpPickListButton"));
    EXPECT_EQ(list.waypointDocument().openedForRoute().get(), &window.routeDocument());
    list.waypointDocument().wpActivateSelect(1);
    EXPECT_EQ(field(sheet, "wpName").text(), "B");
    click(button(sheet, "detailAddInsertChangeButton"));
    click(button(window, "routeReverseButton"));
    EXPECT_EQ(namesOf(window.routeDocument().waypointList()), "B,A");
    EXPECT_EQ(field(window, "routeName").text(), "Coast Run (REVERSE)");

    typeInto(field(window, "routeName"), "Evening Sail", true);
    EXPECT_EQ(window.windowTitle(), "Evening Sail[*]");
    EXPECT_TRUE(window.isWindowModified());

    test::PostRecorder posts(desk.center, {TRVRouteActivated, TRVWaypointActivated});
    table.selectRow(1);
    click(button(window, "routeJoinSegmentButton"));
    click(button(window, "routeDirectToButton"));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    doubleClickRow(table, 0);
    EXPECT_EQ(posts.names(),
        (Names{"TRVRouteActivated", "TRVRouteActivated", "TRVWaypointActivated", "TRVRouteActivated",
            "TRVWaypointActivated"}));
    EXPECT_EQ(window.routeDocument().route()->activeIndex(), 0);

    // The active route's lock shows in the table and the buttons.
    EXPECT_TRUE(table.alternatingRowColors());
    desk.center.post(TRVRouteIsActive, window.routeDocument().route());
    EXPECT_FALSE(table.alternatingRowColors());
    EXPECT_FALSE(button(window, "routeClearAllButton").isEnabled());
    desk.center.post(TRVRouteIsActive, NotificationObject());
    click(button(window, "routeRemoveButton"));
    // Clear All cannot be taken back: it asks, and Cancel keeps the route.
    click(button(window, "routeClearAllButton"));
    EXPECT_EQ(table.model()->rowCount(), 1);
    desk.dialogs->answers = {"Clear All"};
    click(button(window, "routeClearAllButton"));
    EXPECT_EQ(table.model()->rowCount(), 0);
    EXPECT_EQ(desk.dialogs->questions.back().buttons, (QStringList{"Clear All", "Cancel"}));
}

// The keyboard reaches the same logic as the buttons.
TEST(DocumentKeyboard, TableKeysMenuShortcutsAndMoves)
{
    test::DocumentDesk desk;
    WaypointWindow& list = desk.newWaypointList({waypoint("A"), waypoint("B"), waypoint("C")});
    list.show();
    QApplication::setActiveWindow(&list);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
    QTableView& table = control<QTableView>(list, "wpTable");
    table.setFocus();
    // Delete removes the selected rows, after the usual question.
    table.selectionModel()->select(table.model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    table.selectionModel()->select(table.model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    desk.dialogs->answers = {"Yes"};
    QTest::keyClick(&table, Qt::Key_Delete);
    EXPECT_EQ(desk.dialogs->questions.back().text, "Really delete 2 waypoints?");
    EXPECT_EQ(namesOf(list.waypointDocument().waypointList()), "B");
    // Commands that need a row are off without one.
    EXPECT_FALSE(button(list, "wpEditButton").isEnabled());
    // Ctrl+Z undoes, through the Edit menu.
    QTest::keyClick(&table, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(namesOf(list.waypointDocument().waypointList()), "A,B,C");
    EXPECT_FALSE(list.isWindowModified());
    // Return opens the selected row.
    table.selectRow(1);
    QTest::keyClick(&table, Qt::Key_Return);
    EXPECT_TRUE(list.detailPanel().isVisible());
    EXPECT_EQ(field(list.detailPanel(), "wpName").text(), "B");
    click(button(list.detailPanel(), "detailCancelButton"));

    RouteWindow& route = desk.newRoute(list.waypointDocument().waypointList(), "Round");
    route.show();
    QApplication::setActiveWindow(&route);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&route));
    QTableView& routeTable = control<QTableView>(route, "routeTable");
    routeTable.selectRow(0);
    EXPECT_FALSE(button(route, "routeMoveUpButton").isEnabled());
    click(button(route, "routeMoveDownButton"));
    EXPECT_EQ(namesOf(route.routeDocument().waypointList()), "B,A,C");
    // The moved row stays selected: it moves on.
    click(button(route, "routeMoveDownButton"));
    EXPECT_EQ(namesOf(route.routeDocument().waypointList()), "B,C,A");
    // A menu shortcut works from the name field, which would take Ctrl+E.
    QLineEdit& name = field(route, "routeName");
    name.setFocus();
    QSignalSpy exported(desk.controller->action("exportKML"), &QAction::triggered);
    QTest::keyClick(&name, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(exported.count(), 1);
}

} // namespace
} // namespace navora
