// The document windows driven through their real widgets (offscreen): what
// the user types and clicks reaches the logic, and what the logic writes
// reaches the widgets; the rules are the logic's own (DocumentLogicTest).
#include "documents/DocumentDesk.h"
#include "documents/DocumentFakes.h"

#include "model/DocumentArchive.h"
#include "support/PostRecorder.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace navora {
namespace {

using test::Names;
using test::namesOf;
using test::processEvents;
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
void close(QWidget& window)
{
    window.close();
    processEvents();
}
void showActive(QWidget& window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

TEST(WaypointWindow, TheSheetAndTheTableReachTheList)
{
    test::DocumentDesk desk;
    WaypointWindow& window = desk.newWaypointList({waypoint("Bravo")});
    QDialog& sheet = window.detailPanel();
    click(button(window, "wpAddButton"));
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(control<QGroupBox>(sheet, "wpBox").title(), "New waypoint");
    // Each coordinate field reaches its axis with its tag, the pop-ups too.
    typeInto(field(sheet, "wpLatitude"), "-12.5");
    EXPECT_EQ(field(sheet, "wpLatDeg").text(), "12");
    EXPECT_EQ(control<QComboBox>(sheet, "wpNS").currentText(), "S");
    typeInto(field(sheet, "wpLonDeg"), "3");
    EXPECT_EQ(field(sheet, "wpLongitude").text(), "3");
    QTest::keyClick(&control<QComboBox>(sheet, "wpEW"), Qt::Key_Down);
    EXPECT_EQ(field(sheet, "wpLongitude").text(), "-3");
    EXPECT_FALSE(button(sheet, "detailAddUpdButton").isEnabled());
    typeInto(field(sheet, "wpComment"), "typed");
    typeInto(field(sheet, "wpAltitude"), "7");
    // Return in a field presses Add, the sheet's default button.
    typeInto(field(sheet, "wpName"), "Alpha", true);
    EXPECT_FALSE(sheet.isVisible());
    QTableView& table = control<QTableView>(window, "wpTable");
    EXPECT_EQ(cell(table, 0, 0) + cell(table, 0, 1), "Alphatyped");
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
    EXPECT_EQ(desk.dialogs->questions.size(), 1u);
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
    QPushButton& nearest = button(window, "showNearestButton");
    EXPECT_FALSE(nearest.isEnabled());
    desk.center.post(TRVcpUpdated, Waypoint::create("PPOS", "here", 0.0f, 0.0f, 3.0f));
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
    click(button(panel, "nearestActivateButton"));
    ASSERT_EQ(posts.posts.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(posts.posts[i].object.waypoint()->wpName(), i == 0 ? "Near" : "Far") << i;
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
    QTest::keyClick(&control<QComboBox>(sheet, "wpLatLonFormat"), Qt::Key_Down);
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
    showActive(list);
    QTableView& table = control<QTableView>(list, "wpTable");
    table.setFocus();
    // Delete removes the selected rows, after the usual question; Ctrl+Z undoes, through the Edit menu.
    for (const int row : {0, 2})
        table.selectionModel()->select(
            table.model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    desk.dialogs->answers = {"Yes"};
    QTest::keyClick(&table, Qt::Key_Delete);
    EXPECT_EQ(desk.dialogs->questions.back().text, "Really delete 2 waypoints?");
    EXPECT_EQ(namesOf(list.waypointDocument().waypointList()), "B");
    EXPECT_FALSE(button(list, "wpEditButton").isEnabled());
    QTest::keyClick(&table, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(namesOf(list.waypointDocument().waypointList()), "A,B,C");
    EXPECT_FALSE(list.isWindowModified());
    // Return opens the selected row.
    table.selectRow(1);
    QTest::keyClick(&table, Qt::Key_Return);
    EXPECT_TRUE(list.detailPanel().isVisible());
    EXPECT_EQ(field(list.detailPanel(), "wpName").text(), "B");
    click(button(list.detailPanel(), "detailCancelButton"));

    // The moved row stays selected: it moves on.
    RouteWindow& route = desk.newRoute(list.waypointDocument().waypointList(), "Round");
    showActive(route);
    control<QTableView>(route, "routeTable").selectRow(0);
    EXPECT_FALSE(button(route, "routeMoveUpButton").isEnabled());
    click(button(route, "routeMoveDownButton"));
    click(button(route, "routeMoveDownButton"));
    EXPECT_EQ(namesOf(route.routeDocument().waypointList()), "B,C,A");
    // A menu shortcut works from the name field, which would take Ctrl+E.
    QLineEdit& name = field(route, "routeName");
    name.setFocus();
    QSignalSpy exported(desk.controller->action("exportKML"), &QAction::triggered);
    QTest::keyClick(&name, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(exported.count(), 1);
}

// The document framework: files saved, replaced, reopened and refused, the
// questions before closing, and the commands and menus of its windows.
class Framework : public testing::Test {
protected:
    std::vector<ExchangeDocument*> documents() const { return desk.controller->documents(); }
    void write(const QString& name, const QByteArray& bytes)
    {
        QFile file(desk.file(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    test::DocumentDesk desk;
    test::ScriptedDialogs& dialogs = *desk.dialogs;
};

// The extension is added when the name has none; opening it again finds the open document.
TEST_F(Framework, AListSavesRevertsAndReopensUnchanged)
{
    WaypointWindow& window = desk.newWaypointList(
        {Waypoint::create("Buoy", "red", 90.0f, -0.125f, NAN), Waypoint::create("Pier", "", -12.3456f, 179.5f, 3.75f)});
    WaypointDocument& document = window.waypointDocument();
    document.updateChangeCount(Document::ChangeType::Done);
    EXPECT_EQ(std::tuple(window.windowTitle(), window.isWindowModified()), std::tuple("Untitled[*]", true));
    dialogs.savePaths = {desk.file("harbour")};
    ASSERT_TRUE(desk.controller->saveDocumentAs(document));
    const QString path = desk.file("harbour.nvw");
    EXPECT_EQ(document.fileName(), path.toStdString());
    EXPECT_EQ(std::tuple(window.windowTitle(), window.isWindowModified()), std::tuple("harbour.nvw[*]", false));
    EXPECT_EQ(desk.controller->recentDocuments().value(0), path);
    document.addWP(waypoint("C"));
    document.refresh();
    std::string error;
    ASSERT_TRUE(document.revertToSaved(error)) << error;
    EXPECT_EQ(namesOf(document.waypointList()), "Buoy,Pier");
    EXPECT_FALSE(document.isDocumentEdited());
    EXPECT_EQ(document.wpTableModel().rowCount(), 2);
    close(window);
    EXPECT_TRUE(documents().empty());

    const DocumentPtr reopened = desk.controller->openDocumentReportingErrors(path);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(namesOf(reopened->waypointList()), "Buoy,Pier");
    EXPECT_FALSE(reopened->isDocumentEdited());
    EXPECT_EQ(desk.controller->openDocumentReportingErrors(path), reopened);
    EXPECT_EQ(documents().size(), 1u);
}

// The panel confirmed "harbour"; the file written is "harbour.nvw". Save As
// proposes a new document's name in the documents folder, a saved one's own.
TEST_F(Framework, AFileIsReplacedOnlyWhenTheUserSaysSoAndAFailedSaveKeepsTheEdits)
{
    write("harbour.nvw", "old");
    WaypointDocument& document = desk.newWaypointList({waypoint("Buoy")}).waypointDocument();
    dialogs.savePaths = {desk.file("harbour"), desk.file("harbour")};
    dialogs.answers = {"Cancel", "Replace"};
    EXPECT_FALSE(desk.controller->saveDocumentAs(document));
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0].title, "\"harbour.nvw\" already exists. Do you want to replace it?");
    QFile old(desk.file("harbour.nvw"));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old");
    EXPECT_TRUE(desk.controller->saveDocumentAs(document));
    std::string error;
    EXPECT_TRUE(DocumentArchive::loadWaypointList(desk.file("harbour.nvw").toStdString(), error)) << error;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    EXPECT_EQ(dialogs.proposedPaths.front(), QDir(folder).filePath("Untitled.nvw"));

    document.updateChangeCount(Document::ChangeType::Done);
    dialogs.savePaths = {std::nullopt, desk.file("no/such/folder/list.nvw")};
    EXPECT_FALSE(desk.controller->saveDocumentAs(document));
    EXPECT_EQ(dialogs.proposedPaths.back(), desk.file("harbour.nvw"));
    EXPECT_FALSE(desk.controller->saveDocumentAs(document));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "The document could not be saved.");
    EXPECT_TRUE(document.isDocumentEdited());
    EXPECT_EQ(document.fileName(), desk.file("harbour.nvw").toStdString());
}

// A KML or GPX file is offered for import, whatever the case of its name.
TEST_F(Framework, AFileThatDoesNotLoadIsReportedAndOpensNothing)
{
    std::string error;
    const QByteArray good = QByteArray::fromStdString(*DocumentArchive::encodeWaypointList({waypoint("A")}, error));
    const std::pair<const char*, QByteArray> rows[]
        = {{"garbage.nvw", "this is not a document"}, {"list-as-route.nvr", good}, {"notes.txt", good}};
    for (const auto& [name, bytes] : rows) {
        SCOPED_TRACE(name);
        write(name, bytes);
        dialogs.messages.clear();
        EXPECT_EQ(desk.controller->openDocumentReportingErrors(desk.file(name)), nullptr);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].title, QString("The document \u201c%1\u201d could not be opened.").arg(name));
        EXPECT_FALSE(dialogs.messages[0].text.isEmpty());
    }
    EXPECT_EQ(desk.controller->openDocumentReportingErrors(desk.file("missing.nvw")), nullptr);
    EXPECT_TRUE(documents().empty());

    QStringList imported;
    desk.controller->setImportFile([&imported](const QString& path) { imported << path; });
    dialogs.messages.clear();
    dialogs.answers = {"Cancel", "Import"};
    desk.controller->openDocumentReportingErrors(desk.file("walk.gpx"));
    desk.controller->openDocumentReportingErrors(desk.file("Bay.KML"));
    EXPECT_EQ(imported, QStringList{desk.file("Bay.KML")});
    EXPECT_EQ(dialogs.questions.back().title, "Import \u201cBay.KML\u201d?");
    EXPECT_TRUE(dialogs.messages.empty());
}

// Untitled names are counted per type; a closed one's is free again. Every
// document window shows the main menu first, its own menus after (Help last).
TEST_F(Framework, DocumentsAreListedInOpeningOrderAndShowTheMainMenu)
{
    EXPECT_EQ(desk.controller->makeUntitledDocumentOfType("Navora Chart File"), nullptr);
    ExchangeDocument* first = desk.controller->makeUntitledDocumentOfType("Navora Waypoints File");
    ExchangeDocument* second = desk.controller->makeUntitledDocumentOfType("Navora Route File");
    desk.controller->openNewWaypointsList();
    desk.controller->newDocument();
    const auto all = documents();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(std::tuple(all[0], all[1], all[2]->typeName(), all[3]->typeName()),
        std::tuple(first, second, "Navora Waypoints File", "Navora Route File"));
    EXPECT_EQ(std::tuple(first->displayName(), second->displayName(), all[2]->displayName(), all[3]->displayName()),
        std::tuple("Untitled", "Untitled", "Untitled 2", "Untitled 2"));
    desk.controller->windowFor(*static_cast<RouteDocument*>(second))->closeWithoutAsking();
    desk.controller->newDocument();
    EXPECT_EQ(documents().back()->displayName(), "Untitled");
    DocumentWindow* window = desk.controller->windowFor(*static_cast<WaypointDocument*>(first));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->menuBar()->actions().value(0)->menu(), desk.controller->mainMenu().value(0));
    const qsizetype own = desk.controller->mainMenu().size() - 1;
    EXPECT_EQ(window->menuBar()->actions().value(own)->menu()->title(), "&Waypoints");
}

// Opened once with no document, the menu must not leave the commands off.
TEST_F(Framework, DocumentCommandsFollowTheWindowInFrontAtAllTimes)
{
    QMetaObject::invokeMethod(desk.controller->mainMenu().front(), "aboutToShow");
    const auto commands = [this] {
        std::string enabled;
        for (const char* name : {"saveDocument", "saveDocumentAs", "closeDocument", "exportKML"})
            enabled += desk.controller->action(name)->isEnabled() ? '1' : '0';
        return enabled;
    };
    EXPECT_EQ(commands(), "0000");
    WaypointWindow& window = desk.newWaypointList({});
    window.show();
    window.activateWindow();
    processEvents();
    EXPECT_EQ(commands(), "1111");
    close(window);
    EXPECT_EQ(commands(), "0000");
}

// Cancel, or Save with its panel cancelled, keeps an edited document open;
// quitting asks about every edited one, and one Cancel keeps them all.
TEST_F(Framework, ClosingAndQuittingAskAboutEditedDocuments)
{
    WaypointWindow& list = desk.newWaypointList();
    RouteWindow& route = desk.newRoute();
    desk.newWaypointList(); // unedited: not asked about
    list.waypointDocument().updateChangeCount(Document::ChangeType::Done);
    route.routeDocument().updateChangeCount(Document::ChangeType::Done);
    dialogs.answers = {"Cancel", "Save"};
    close(list);
    close(list);
    ASSERT_EQ(dialogs.questions.size(), 2u);
    EXPECT_EQ(dialogs.questions[0].buttons, (QStringList{"Save", "Don't Save", "Cancel"}));
    EXPECT_EQ(documents().size(), 3u);

    dialogs.answers = {"Save", "Cancel"};
    dialogs.savePaths = {desk.file("first.nvw")};
    EXPECT_FALSE(desk.controller->closeAllDocuments());
    EXPECT_EQ(documents().size(), 3u);
    EXPECT_FALSE(list.waypointDocument().isDocumentEdited());
    EXPECT_TRUE(QFile::exists(desk.file("first.nvw")));
    dialogs.answers = {"Don't Save"};
    close(route);
    EXPECT_EQ(documents().size(), 2u);
    EXPECT_TRUE(desk.controller->closeAllDocuments());
    processEvents();
    EXPECT_TRUE(documents().empty());
}
} // namespace
} // namespace navora
