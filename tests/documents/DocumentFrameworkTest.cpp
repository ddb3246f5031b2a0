#include "documents/DocumentDesk.h"
#include "documents/DocumentFakes.h"

#include "model/DocumentArchive.h"
#include "support/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStandardPaths>

#include <cmath>

#include <gtest/gtest.h>

namespace navora {
namespace {

class DocumentFrameworkTest : public testing::Test {
protected:
    std::vector<ExchangeDocument*> documents() const { return desk.controller->documents(); }
    static void close(QWidget& window)
    {
        window.close();
        test::processEvents();
    }
    void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    test::DocumentDesk desk;
};

TEST_F(DocumentFrameworkTest, AWaypointListSavesAndReopensUnchanged)
{
    WaypointWindow& window = desk.newWaypointList(
        {Waypoint::create("Buoy", "red", 90.0f, -0.125f, NAN), Waypoint::create("Pier", "", -12.3456f, 179.5f, 3.75f)});
    window.waypointDocument().updateChangeCount(Document::ChangeType::Done);
    EXPECT_EQ(window.windowTitle(), "Untitled[*]");
    EXPECT_TRUE(window.isWindowModified());

    // The extension is added when the name has none.
    desk.dialogs->savePaths = {desk.file("harbour")};
    ASSERT_TRUE(desk.controller->saveDocumentAs(window.waypointDocument()));
    const QString path = desk.file("harbour.nvw");
    EXPECT_EQ(window.waypointDocument().fileName(), path.toStdString());
    EXPECT_EQ(window.windowTitle(), "harbour.nvw[*]");
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_EQ(desk.controller->recentDocuments().value(0), path);
    close(window);
    EXPECT_TRUE(documents().empty());

    const DocumentPtr reopened = desk.controller->openDocumentReportingErrors(path);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(test::namesOf(reopened->waypointList()), "Buoy,Pier");
    EXPECT_FALSE(reopened->isDocumentEdited());
    EXPECT_EQ(desk.waypointWindow(*reopened).waypointDocument().wpTableModel().rowCount(), 2);

    // Opening it again finds the open document.
    EXPECT_EQ(desk.controller->openDocumentReportingErrors(path), reopened);
    EXPECT_EQ(documents().size(), 1u);
}

TEST_F(DocumentFrameworkTest, AFileOfTheNameFinallyUsedIsReplacedOnlyWhenTheUserSaysSo)
{
    // The panel confirmed "harbour"; the file written is "harbour.nvw".
    const QString existing = desk.file("harbour.nvw");
    writeFile(existing, "old");
    WaypointWindow& window = desk.newWaypointList({Waypoint::create("Buoy", "", 1.0f, 2.0f, 0.0f)});
    desk.dialogs->savePaths = {desk.file("harbour")};
    desk.dialogs->answers = {"Cancel"};
    EXPECT_FALSE(desk.controller->saveDocumentAs(window.waypointDocument()));
    ASSERT_EQ(desk.dialogs->questions.size(), 1u);
    EXPECT_EQ(desk.dialogs->questions[0].title, "\"harbour.nvw\" already exists. Do you want to replace it?");
    QFile old(existing);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old");

    desk.dialogs->savePaths = {desk.file("harbour")};
    desk.dialogs->answers = {"Replace"};
    EXPECT_TRUE(desk.controller->saveDocumentAs(window.waypointDocument()));
    std::string error;
    EXPECT_TRUE(DocumentArchive::loadWaypointList(existing.toStdString(), error)) << error;

    // Save As proposed a new document's name in the documents folder, and
    // proposes a saved one's own name in its own folder.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    EXPECT_EQ(desk.dialogs->proposedPaths.front(), QDir(documents).filePath("Untitled.nvw"));
    desk.dialogs->savePaths = {std::nullopt};
    EXPECT_FALSE(desk.controller->saveDocumentAs(window.waypointDocument()));
    EXPECT_EQ(desk.dialogs->proposedPaths.back(), existing);
}

TEST_F(DocumentFrameworkTest, DocumentCommandsFollowTheWindowInFrontAtAllTimes)
{
    // Opened once with no document, the menu must not leave the commands off.
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
    test::processEvents();
    EXPECT_EQ(commands(), "1111");
    close(window);
    EXPECT_EQ(commands(), "0000");
}

TEST_F(DocumentFrameworkTest, AFileThatDoesNotLoadIsReportedAndOpensNothing)
{
    std::string error;
    const std::optional<std::string> good
        = DocumentArchive::encodeWaypointList({Waypoint::create("A", "", 1.0f, 1.0f, 0.0f)}, error);
    ASSERT_TRUE(good.has_value());
    const struct {
        const char* name;
        QByteArray bytes;
    } rows[] = {
        {"garbage.nvw", QByteArray("this is not a document")},
        {"list-as-route.nvr", QByteArray::fromStdString(*good)},
        {"notes.txt", QByteArray::fromStdString(*good)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeFile(desk.file(row.name), row.bytes);
        desk.dialogs->messages.clear();
        EXPECT_EQ(desk.controller->openDocumentReportingErrors(desk.file(row.name)), nullptr);
        ASSERT_EQ(desk.dialogs->messages.size(), 1u);
        EXPECT_EQ(
            desk.dialogs->messages[0].title, QString("The document \u201c%1\u201d could not be opened.").arg(row.name));
        EXPECT_FALSE(desk.dialogs->messages[0].text.isEmpty());
        EXPECT_TRUE(documents().empty());
    }
    EXPECT_EQ(desk.controller->openDocumentReportingErrors(desk.file("missing.nvw")), nullptr);
    EXPECT_TRUE(documents().empty());

    // A KML or GPX file is offered for import, whatever the case of its name.
    QStringList imported;
    desk.controller->setImportFile([&imported](const QString& path) { imported << path; });
    desk.dialogs->messages.clear();
    desk.dialogs->answers = {"Cancel", "Import"};
    desk.controller->openDocumentReportingErrors(desk.file("walk.gpx"));
    desk.controller->openDocumentReportingErrors(desk.file("Bay.KML"));
    EXPECT_EQ(imported, QStringList{desk.file("Bay.KML")});
    EXPECT_EQ(desk.dialogs->questions.back().title, "Import \u201cBay.KML\u201d?");
    EXPECT_TRUE(desk.dialogs->messages.empty());
}

TEST_F(DocumentFrameworkTest, DocumentsAreListedInOpeningOrder)
{
    EXPECT_EQ(desk.controller->makeUntitledDocumentOfType("Navora Chart File"), nullptr);
    ExchangeDocument* first = desk.controller->makeUntitledDocumentOfType("Navora Waypoints File");
    ExchangeDocument* second = desk.controller->makeUntitledDocumentOfType("Navora Route File");
    desk.controller->openNewWaypointsList();
    desk.controller->newDocument();
    const auto all = documents();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0], first);
    EXPECT_EQ(all[1], second);
    EXPECT_EQ(all[2]->typeName(), "Navora Waypoints File");
    EXPECT_EQ(all[3]->typeName(), "Navora Route File");
    // Untitled names are counted per type; a closed one's is free again.
    EXPECT_EQ(first->displayName(), "Untitled");
    EXPECT_EQ(second->displayName(), "Untitled");
    EXPECT_EQ(all[2]->displayName(), "Untitled 2");
    EXPECT_EQ(all[3]->displayName(), "Untitled 2");
    desk.controller->windowFor(*static_cast<RouteDocument*>(second))->closeWithoutAsking();
    desk.controller->newDocument();
    EXPECT_EQ(documents().back()->displayName(), "Untitled");
    // Every document window shows the main menu first.
    DocumentWindow* window = desk.controller->windowFor(*static_cast<WaypointDocument*>(first));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->menuBar()->actions().value(0)->menu(), desk.controller->mainMenu().value(0));
    // Its own menus come after the main menu's (Help goes last).
    const qsizetype own = desk.controller->mainMenu().size() - 1;
    EXPECT_EQ(window->menuBar()->actions().value(own)->menu()->title(), "&Waypoints");
}

TEST_F(DocumentFrameworkTest, ClosingAnEditedDocumentAsksFirst)
{
    WaypointWindow& window = desk.newWaypointList();
    WaypointDocument& document = window.waypointDocument();
    document.updateChangeCount(Document::ChangeType::Done);

    desk.dialogs->answers = {"Cancel"};
    close(window);
    ASSERT_EQ(documents().size(), 1u);
    ASSERT_EQ(desk.dialogs->questions.size(), 1u);
    EXPECT_EQ(desk.dialogs->questions[0].buttons, (QStringList{"Save", "Don't Save", "Cancel"}));

    // Saving, with the panel cancelled, keeps it open too.
    desk.dialogs->answers = {"Save"};
    close(window);
    EXPECT_EQ(documents().size(), 1u);

    desk.dialogs->answers = {"Don't Save"};
    close(window);
    EXPECT_TRUE(documents().empty());
}

TEST_F(DocumentFrameworkTest, QuitAsksAboutEveryUnsavedDocument)
{
    WaypointWindow& list = desk.newWaypointList();
    RouteWindow& route = desk.newRoute();
    desk.newWaypointList(); // unedited: not asked about
    list.waypointDocument().updateChangeCount(Document::ChangeType::Done);
    route.routeDocument().updateChangeCount(Document::ChangeType::Done);

    // Saved the first, cancelled at the second: nothing closes.
    desk.dialogs->answers = {"Save", "Cancel"};
    desk.dialogs->savePaths = {desk.file("first.nvw")};
    EXPECT_FALSE(desk.controller->closeAllDocuments());
    EXPECT_EQ(documents().size(), 3u);
    EXPECT_FALSE(list.waypointDocument().isDocumentEdited());
    EXPECT_TRUE(QFile::exists(desk.file("first.nvw")));

    desk.dialogs->answers = {"Don't Save"};
    EXPECT_TRUE(desk.controller->closeAllDocuments());
    test::processEvents();
    EXPECT_TRUE(documents().empty());
}

TEST_F(DocumentFrameworkTest, RevertGoesBackToTheSavedFile)
{
    WaypointWindow& window = desk.newWaypointList({Waypoint::create("A", "", 1.0f, 1.0f, 0.0f)});
    WaypointDocument& document = window.waypointDocument();
    std::string error;
    ASSERT_TRUE(document.writeToFile(desk.file("a.nvw").toStdString(), error)) << error;
    document.addWP(Waypoint::create("B", "", 2.0f, 2.0f, 0.0f));
    document.refresh();
    ASSERT_EQ(document.waypointList().size(), 2u);
    ASSERT_TRUE(document.revertToSaved(error)) << error;
    EXPECT_EQ(test::namesOf(document.waypointList()), "A");
    EXPECT_FALSE(document.isDocumentEdited());
    EXPECT_EQ(window.waypointDocument().wpTableModel().rowCount(), 1);
}

TEST_F(DocumentFrameworkTest, AFailedSaveIsReportedAndKeepsTheDocumentEdited)
{
    WaypointWindow& window = desk.newWaypointList();
    window.waypointDocument().updateChangeCount(Document::ChangeType::Done);
    desk.dialogs->savePaths = {desk.file("no/such/folder/list.nvw")};
    EXPECT_FALSE(desk.controller->saveDocumentAs(window.waypointDocument()));
    ASSERT_EQ(desk.dialogs->messages.size(), 1u);
    EXPECT_EQ(desk.dialogs->messages[0].title, "The document could not be saved.");
    EXPECT_TRUE(window.waypointDocument().isDocumentEdited());
    EXPECT_TRUE(window.waypointDocument().fileName().empty());
}

} // namespace
} // namespace navora
