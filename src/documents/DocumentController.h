#pragma once

#include "documents/DocumentHost.h"
#include "documents/DocumentServices.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUndoGroup>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QKeyEvent;
class QMainWindow;
class QMenu;

namespace Ui {
class MainMenu;
} // namespace Ui

namespace navora {

class Dialogs;
class DocumentWindow;
class NotificationCenter;
class SettingsStore;

// The document framework: the two document types by name and extension,
// the list of open documents in opening order, and the File commands (new,
// open, open recent, close, save, save as, revert, quit) with the usual
// unsaved-changes questions. It owns the main window built from the main
// menu's layout ("MainMenu"); the Edit menu undoes and redoes the edits of
// the document in front; every document window shows the same menus,
// so later commands are added in one place (mainMenu()). File panels and
// questions go through Dialogs.
class DocumentController : public QObject, public DocumentHost {
    Q_OBJECT
public:
    struct Services {
        NotificationCenter& center;
        // Keeps the recent-documents list.
        SettingsStore& store;
        std::shared_ptr<Dialogs> dialogs;
        DocumentServices::CurrentPosResolver currentPosOf;
        DocumentServices::UnitsResolver unitsCode;
    };

    static constexpr const char* kRecentDocumentsKey = "NavoraRecentDocuments";
    static constexpr int kMaxRecentDocuments = 10;

    explicit DocumentController(Services services);
    ~DocumentController() override;

    // ExchangeDocumentHost and DocumentHost.
    ExchangeDocument* makeUntitledDocumentOfType(std::string_view typeName) override;
    std::vector<ExchangeDocument*> documents() const override;
    ExchangeDocument* keyDocument() const override;
    std::optional<std::string> chooseFileToOpen(std::string_view extension) override;
    DocumentPtr openDocumentWithContentsOfFile(const std::string& path, bool display, std::string& error) override;
    void showDocument(Document& document) override;

    // The File menu.
    void newDocument();
    void openNewWaypointsList();
    void openDocument();
    void closeDocument();
    void saveDocument();
    void saveDocumentAs();
    void revertDocumentToSaved();
    // Asks about every unsaved document, then runs the before-quit hook and
    // ends the application.
    void quit();
    // Runs once the documents may go and before Qt closes any window (the
    // GPS link stops first, without questions from its windows).
    void setBeforeQuit(std::function<void()> beforeQuit);
    // Imports a KML or GPX file that File > Open was given.
    void setImportFile(std::function<void(const QString& path)> importFile) { m_importFile = std::move(importFile); }

    // Opens and shows a document; a failure is told in a message box and
    // opens nothing.
    // A KML or GPX file is offered for import instead.
    DocumentPtr openDocumentReportingErrors(const QString& path);
    bool saveDocument(Document& document);
    bool saveDocumentAs(Document& document);
    // Asks where to save a file with the extension (no dot), proposing
    // `baseName` with that extension in the folder of `about` (by default the
    // document in front; the user's documents folder for an unsaved one). A name without the extension gets it;
    // a file that exists under the name finally used is replaced only when
    // the user says so. nullopt when the user cancels.
    std::optional<QString> chooseSavePath(
        const QString& caption, QString baseName, const QString& extension, const Document* about = nullptr);
    // Asks about unsaved changes; true when the document may close.
    bool canCloseDocument(Document& document);
    // Closes every document, asking about each unsaved one; false when the
    // user cancelled.
    bool closeAllDocuments();

    std::vector<DocumentPtr> openDocuments() const;
    DocumentWindow* windowFor(const Document& document) const;
    // The document of the window in front (or of its sheet), or nullptr.
    Document* currentDocument() const;
    QMainWindow& mainWindow() const { return *m_mainWindow; }
    // The main menu's menus, shown in every window.
    QList<QMenu*> mainMenu() const;
    // The main menu's command with that objectName, or nullptr.
    QAction* action(const QString& objectName) const;
    // The window in front, else the main window: the parent of panels.
    QWidget* dialogParent() const;
    QStringList recentDocuments() const;
    Dialogs& dialogs() const { return *m_services.dialogs; }

    // From DocumentWindow: its window has closed.
    void documentWindowClosed(DocumentWindow& window);

protected:
    // Closing the main window quits, asking first; the menu's shortcuts
    // work from any field.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        DocumentPtr document;
        QPointer<DocumentWindow> window;
    };

    DocumentPtr makeDocumentOfType(std::string_view typeName);
    std::string freeUntitledName(std::string_view typeName) const;
    void addDocument(const DocumentPtr& document, bool display);
    void installMenus(QMainWindow& window);
    void connectMenu();
    void addUndoCommands();
    bool isMenuShortcut(const QKeyEvent& event) const;
    void noteRecentDocument(const std::string& path);
    // Enables the commands on the document in front as far as it allows.
    void updateDocumentCommands();
    void fillRecentMenu();
    QString documentTitle(const Document& document) const;
    // Offers a KML or GPX file for import; false for any other file.
    bool offerImport(const QString& path);

    Services m_services;
    DocumentServices m_documentServices;
    std::unique_ptr<Ui::MainMenu> m_menuUi;
    std::unique_ptr<QMainWindow> m_mainWindow;
    std::vector<Entry> m_entries;
    // Holds each document's undo stack; the active one is the front's.
    QUndoGroup m_undoGroup;
    bool m_quitting = false;
    std::function<void()> m_beforeQuit;
    std::function<void(const QString& path)> m_importFile;
};

} // namespace navora
