#include "documents/DocumentController.h"

#include "documents/Dialogs.h"
#include "documents/DocumentWindow.h"
#include "documents/RouteDocument.h"
#include "documents/RouteWindow.h"
#include "documents/WaypointDocument.h"
#include "documents/WaypointWindow.h"

#include "ui_MainMenu.h"

#include "core/Log.h"
#include "core/QtText.h"
#include "core/SettingsStore.h"
#include "model/DocumentTypes.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QStandardPaths>

#include <algorithm>

namespace navora {

namespace {

std::optional<DocumentType> typeForPath(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const DocumentType& type : {kWaypointsDocumentType, kRouteDocumentType}) {
        if (suffix == toQString(type.extension))
            return type;
    }
    return std::nullopt;
}

} // namespace

DocumentController::DocumentController(Services services)
    : m_services(std::move(services))
    , m_documentServices{m_services.center, *this, m_services.currentPosOf, m_services.unitsCode}
    , m_menuUi(std::make_unique<Ui::MainMenu>())
    , m_mainWindow(std::make_unique<QMainWindow>())
{
    m_menuUi->setupUi(m_mainWindow.get());
    addUndoCommands();
    for (QAction* action : m_mainWindow->findChildren<QAction*>())
        action->setShortcutContext(Qt::ApplicationShortcut);
    m_mainWindow->installEventFilter(this);
    qApp->installEventFilter(this);
    connectMenu();
}

DocumentController::~DocumentController()
{
    m_mainWindow->removeEventFilter(this);
    qApp->removeEventFilter(this);
    // Windows first: they let go of their documents as they go.
    std::vector<Entry> entries = std::move(m_entries);
    for (Entry& entry : entries)
        delete entry.window.data();
}

ExchangeDocument* DocumentController::makeUntitledDocumentOfType(std::string_view typeName)
{
    DocumentPtr document = makeDocumentOfType(typeName);
    if (!document)
        return nullptr;
    document->setUntitledName(freeUntitledName(typeName));
    addDocument(document, true);
    return document.get();
}

std::string DocumentController::freeUntitledName(std::string_view typeName) const
{
    // The first untitled document of a type is "Untitled", then "Untitled 2"
    // and on, a number freed by a closed or saved document taken again.
    for (int number = 1;; ++number) {
        const std::string name = number == 1 ? "Untitled" : "Untitled " + std::to_string(number);
        const bool taken = std::any_of(m_entries.begin(), m_entries.end(), [&](const Entry& entry) {
            const Document& open = *entry.document;
            return open.typeName() == typeName && open.fileName().empty() && open.untitledName() == name;
        });
        if (!taken)
            return name;
    }
}

std::vector<ExchangeDocument*> DocumentController::documents() const
{
    std::vector<ExchangeDocument*> documents;
    documents.reserve(m_entries.size());
    for (const Entry& entry : m_entries)
        documents.push_back(entry.document.get());
    return documents;
}

ExchangeDocument* DocumentController::keyDocument() const
{
    return currentDocument();
}

std::optional<std::string> DocumentController::chooseFileToOpen(std::string_view extension)
{
    const std::optional<QString> path = dialogs().openFile(dialogParent(), tr("Open"), {toQString(extension)});
    if (!path)
        return std::nullopt;
    return path->toStdString();
}

DocumentPtr DocumentController::openDocumentWithContentsOfFile(
    const std::string& path, bool display, std::string& error)
{
    const QString absolute = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
    for (const Entry& entry : m_entries) {
        if (!entry.document->fileName().empty()
            && QFileInfo(QString::fromStdString(entry.document->fileName())).absoluteFilePath() == absolute) {
            if (display)
                showDocument(*entry.document);
            return entry.document;
        }
    }
    const std::optional<DocumentType> type = typeForPath(absolute);
    if (!type) {
        error = QFileInfo(absolute).fileName().toStdString() + " is not a Navora waypoint list (.nvw) or route (.nvr)";
        return nullptr;
    }
    DocumentPtr document = makeDocumentOfType(type->name);
    if (!document->readFromFile(absolute.toStdString(), error))
        return nullptr;
    addDocument(document, display);
    noteRecentDocument(absolute.toStdString());
    return document;
}

void DocumentController::showDocument(Document& document)
{
    if (DocumentWindow* window = windowFor(document)) {
        window->show();
        window->raise();
        window->activateWindow();
    }
}

void DocumentController::newDocument()
{
    makeUntitledDocumentOfType(kRouteDocumentType.name);
}

void DocumentController::openNewWaypointsList()
{
    makeUntitledDocumentOfType(kWaypointsDocumentType.name);
}

void DocumentController::openDocument()
{
    const std::optional<QString> path = dialogs().openFile(dialogParent(), tr("Open"),
        {toQString(kWaypointsDocumentType.extension), toQString(kRouteDocumentType.extension), "gpx", "kml"});
    if (path)
        openDocumentReportingErrors(*path);
}

void DocumentController::closeDocument()
{
    if (Document* document = currentDocument()) {
        if (DocumentWindow* window = windowFor(*document))
            window->close();
    }
}

void DocumentController::saveDocument()
{
    if (Document* document = currentDocument())
        saveDocument(*document);
}

void DocumentController::saveDocumentAs()
{
    if (Document* document = currentDocument())
        saveDocumentAs(*document);
}

void DocumentController::revertDocumentToSaved()
{
    Document* document = currentDocument();
    if (!document || document->fileName().empty())
        return;
    if (document->isDocumentEdited()
        && dialogs().ask(windowFor(*document), tr("Revert to saved?"),
               tr("Do you want to revert %1 to the most recently saved version? Your current changes will be lost.")
                   .arg(documentTitle(*document)),
               {tr("Revert"), tr("Cancel")})
            != 0)
        return;
    std::string error;
    if (!document->revertToSaved(error))
        dialogs().tell(windowFor(*document), tr("The document could not be reverted."), QString::fromStdString(error));
}

void DocumentController::quit()
{
    if (m_quitting)
        return;
    m_quitting = true;
    const bool closed = closeAllDocuments();
    m_quitting = false;
    if (!closed)
        return;
    if (m_beforeQuit)
        m_beforeQuit();
    QApplication::quit();
}

void DocumentController::setBeforeQuit(std::function<void()> beforeQuit)
{
    m_beforeQuit = std::move(beforeQuit);
}

DocumentPtr DocumentController::openDocumentReportingErrors(const QString& path)
{
    if (offerImport(path))
        return nullptr;
    std::string error;
    DocumentPtr document = openDocumentWithContentsOfFile(path.toStdString(), true, error);
    if (!document) {
        Log::format("Error opening document %s: %s", path.toUtf8().constData(), error.c_str());
        dialogs().tell(dialogParent(),
            tr("The document \u201c%1\u201d could not be opened.").arg(QFileInfo(path).fileName()),
            QString::fromStdString(error));
    }
    return document;
}

bool DocumentController::saveDocument(Document& document)
{
    if (document.fileName().empty())
        return saveDocumentAs(document);
    std::string error;
    if (!document.writeToFile(document.fileName(), error)) {
        dialogs().tell(windowFor(document), tr("The document could not be saved."), QString::fromStdString(error));
        return false;
    }
    return true;
}

std::optional<QString> DocumentController::chooseSavePath(
    const QString& caption, QString baseName, const QString& extension, const Document* about)
{
    const Document* front = about != nullptr ? about : currentDocument();
    const QString folder = front != nullptr && !front->fileName().empty()
        ? QFileInfo(QString::fromStdString(front->fileName())).absolutePath()
        : QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // "harbour.nvw" exported to KML proposes "harbour.kml", not "harbour.nvw.kml".
    for (const DocumentType& type : {kWaypointsDocumentType, kRouteDocumentType}) {
        const QString documentSuffix = '.' + toQString(type.extension);
        if (baseName.endsWith(documentSuffix, Qt::CaseInsensitive))
            baseName.chop(documentSuffix.size());
    }
    if (baseName.trimmed().isEmpty())
        baseName = tr("Untitled");
    QWidget* parent = dialogParent();
    const QString proposed = QDir(folder.isEmpty() ? QDir::homePath() : folder).filePath(baseName + '.' + extension);
    std::optional<QString> path = dialogs().saveFile(parent, caption, proposed, extension);
    if (!path || QFileInfo(*path).suffix().compare(extension, Qt::CaseInsensitive) == 0)
        return path;
    // The panel confirmed the name as typed; the name with the extension is
    // another file, which is replaced only when the user says so.
    *path += '.' + extension;
    const QFileInfo chosen(*path);
    if (chosen.exists()) {
        const int answer
            = dialogs().ask(parent, tr("\"%1\" already exists. Do you want to replace it?").arg(chosen.fileName()),
                tr("A file with the same name already exists in %1. Replacing it overwrites its contents.")
                    .arg(chosen.absolutePath()),
                {tr("Replace"), tr("Cancel")});
        if (answer != 0)
            return std::nullopt;
    }
    return path;
}

bool DocumentController::saveDocumentAs(Document& document)
{
    const DocumentType type
        = document.typeName() == kRouteDocumentType.name ? kRouteDocumentType : kWaypointsDocumentType;
    const QString extension = toQString(type.extension);
    std::optional<QString> path = chooseSavePath(tr("Save As"),
        document.fileName().empty() ? QString::fromStdString(document.displayName())
                                    : QFileInfo(QString::fromStdString(document.fileName())).completeBaseName(),
        extension, &document);
    if (!path)
        return false;
    std::string error;
    if (!document.writeToFile(QFileInfo(*path).absoluteFilePath().toStdString(), error)) {
        dialogs().tell(windowFor(document), tr("The document could not be saved."), QString::fromStdString(error));
        return false;
    }
    noteRecentDocument(document.fileName());
    return true;
}

bool DocumentController::canCloseDocument(Document& document)
{
    if (!document.isDocumentEdited())
        return true;
    showDocument(document);
    const int answer = dialogs().ask(windowFor(document), tr("Save changes?"),
        tr("Do you want to save the changes you made in %1?\nYour changes will be lost if you don't save them.")
            .arg(documentTitle(document)),
        {tr("Save"), tr("Don't Save"), tr("Cancel")});
    if (answer == 0)
        return saveDocument(document);
    return answer == 1;
}

bool DocumentController::closeAllDocuments()
{
    for (const DocumentPtr& document : openDocuments()) {
        if (!canCloseDocument(*document))
            return false;
    }
    for (const DocumentPtr& document : openDocuments()) {
        if (DocumentWindow* window = windowFor(*document))
            window->closeWithoutAsking();
    }
    return true;
}

std::vector<DocumentPtr> DocumentController::openDocuments() const
{
    std::vector<DocumentPtr> documents;
    for (const Entry& entry : m_entries)
        documents.push_back(entry.document);
    return documents;
}

DocumentWindow* DocumentController::windowFor(const Document& document) const
{
    for (const Entry& entry : m_entries) {
        if (entry.document.get() == &document)
            return entry.window.data();
    }
    return nullptr;
}

Document* DocumentController::currentDocument() const
{
    for (QWidget* widget = QApplication::activeWindow(); widget; widget = widget->parentWidget()) {
        if (auto* window = qobject_cast<DocumentWindow*>(widget))
            return &window->document();
    }
    return nullptr;
}

QList<QMenu*> DocumentController::mainMenu() const
{
    QList<QMenu*> menus;
    for (QAction* action : m_mainWindow->menuBar()->actions()) {
        if (action->menu())
            menus << action->menu();
    }
    return menus;
}

QAction* DocumentController::action(const QString& objectName) const
{
    return m_mainWindow->findChild<QAction*>(objectName);
}

QStringList DocumentController::recentDocuments() const
{
    return m_services.store.value(kRecentDocumentsKey).toStringList();
}

void DocumentController::documentWindowClosed(DocumentWindow& window)
{
    const auto it = std::find_if(
        m_entries.begin(), m_entries.end(), [&window](const Entry& entry) { return entry.window == &window; });
    if (it == m_entries.end())
        return;
    m_entries.erase(it);
    window.deleteLater();
    updateDocumentCommands();
}

bool DocumentController::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && isMenuShortcut(*static_cast<QKeyEvent*>(event))) {
        // A text field would take the key as its own (Ctrl+E moves to the
        // end of the line): the menu command wins.
        return true;
    }
    if (watched == m_mainWindow.get() && event->type() == QEvent::Close) {
        event->ignore();
        quit();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

DocumentPtr DocumentController::makeDocumentOfType(std::string_view typeName)
{
    if (typeName == kWaypointsDocumentType.name)
        return std::make_shared<WaypointDocument>(m_documentServices);
    if (typeName == kRouteDocumentType.name)
        return std::make_shared<RouteDocument>(m_documentServices);
    return nullptr;
}

void DocumentController::addDocument(const DocumentPtr& document, bool display)
{
    DocumentWindow* window = nullptr;
    if (document->typeName() == kWaypointsDocumentType.name)
        window = new WaypointWindow(*this, std::static_pointer_cast<WaypointDocument>(document));
    else
        window = new RouteWindow(*this, std::static_pointer_cast<RouteDocument>(document));
    installMenus(*window);
    m_undoGroup.addStack(&document->undoStack());
    document->setStateListener([this, window] {
        window->updateTitle();
        updateDocumentCommands();
    });
    // Each new window a little below and right of the one before.
    const int step = 28 * static_cast<int>(m_entries.size() % 8);
    window->move(80 + step, 60 + step);
    m_entries.push_back({document, window});
    if (display)
        showDocument(*document);
    updateDocumentCommands();
}

void DocumentController::installMenus(QMainWindow& window)
{
    // The main menu's before the window's own, Help last.
    QMenuBar* bar = window.menuBar();
    const QList<QAction*> own = bar->actions();
    QAction* before = own.isEmpty() ? nullptr : own.front();
    for (QMenu* menu : mainMenu())
        bar->insertMenu(menu == m_menuUi->helpMenu ? nullptr : before, menu);
}

void DocumentController::connectMenu()
{
    Ui::MainMenu& ui = *m_menuUi;
    connect(ui.newDocument, &QAction::triggered, this, [this] { newDocument(); });
    connect(ui.openNewWaypointsList, &QAction::triggered, this, [this] { openNewWaypointsList(); });
    connect(ui.openDocument, &QAction::triggered, this, [this] { openDocument(); });
    connect(ui.closeDocument, &QAction::triggered, this, [this] { closeDocument(); });
    connect(ui.saveDocument, &QAction::triggered, this, [this] { saveDocument(); });
    connect(ui.saveDocumentAs, &QAction::triggered, this, [this] { saveDocumentAs(); });
    connect(ui.revertDocumentToSaved, &QAction::triggered, this, [this] { revertDocumentToSaved(); });
    connect(ui.quit, &QAction::triggered, this, [this] { quit(); });
    // The commands that act on the document in front follow it at all
    // times, not only when the menu opens: their shortcuts work or not by it.
    connect(ui.fileMenu, &QMenu::aboutToShow, this, [this] { updateDocumentCommands(); });
    connect(ui.editMenu, &QMenu::aboutToShow, this, [this] { updateDocumentCommands(); });
    connect(qApp, &QApplication::focusChanged, this, [this] { updateDocumentCommands(); });
    updateDocumentCommands();
    connect(ui.openRecentMenu, &QMenu::aboutToShow, this, [this] { fillRecentMenu(); });
    fillRecentMenu();
}

void DocumentController::updateDocumentCommands()
{
    Ui::MainMenu& ui = *m_menuUi;
    const Document* document = currentDocument();
    const bool present = document != nullptr;
    ui.closeDocument->setEnabled(present);
    ui.saveDocument->setEnabled(present);
    ui.saveDocumentAs->setEnabled(present);
    ui.exportKML->setEnabled(present);
    ui.revertDocumentToSaved->setEnabled(present && !document->fileName().empty() && document->isDocumentEdited());
    // A locked document (the active route) is not changed by undo either.
    m_undoGroup.setActiveStack(present && !document->editingLocked() ? &document->undoStack() : nullptr);
}

void DocumentController::addUndoCommands()
{
    QAction* undo = m_undoGroup.createUndoAction(m_mainWindow.get(), tr("&Undo"));
    undo->setObjectName("undo");
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = m_undoGroup.createRedoAction(m_mainWindow.get(), tr("&Redo"));
    redo->setObjectName("redo");
    redo->setShortcuts({QKeySequence(QKeySequence::Redo), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    m_menuUi->editMenu->addAction(undo);
    m_menuUi->editMenu->addAction(redo);
}

void DocumentController::noteRecentDocument(const std::string& path)
{
    QStringList recent = recentDocuments();
    const QString entry = QString::fromStdString(path);
    recent.removeAll(entry);
    recent.prepend(entry);
    while (recent.size() > kMaxRecentDocuments)
        recent.removeLast();
    m_services.store.setValue(kRecentDocumentsKey, recent);
}

void DocumentController::fillRecentMenu()
{
    QMenu* menu = m_menuUi->openRecentMenu;
    menu->clear();
    const QStringList recent = recentDocuments();
    for (const QString& path : recent) {
        QAction* action = menu->addAction(QFileInfo(path).fileName());
        action->setToolTip(path);
        connect(action, &QAction::triggered, this, [this, path] { openDocumentReportingErrors(path); });
    }
    if (!recent.isEmpty())
        menu->addSeparator();
    QAction* clear = menu->addAction(tr("Clear Menu"));
    clear->setEnabled(!recent.isEmpty());
    connect(
        clear, &QAction::triggered, this, [this] { m_services.store.setValue(kRecentDocumentsKey, QStringList()); });
}

bool DocumentController::isMenuShortcut(const QKeyEvent& event) const
{
    const QKeySequence pressed(event.keyCombination());
    for (QAction* action : m_mainWindow->findChildren<QAction*>()) {
        // Undo and redo in a text field are the field's own.
        if (!action->isEnabled() || action->objectName() == QLatin1String("undo")
            || action->objectName() == QLatin1String("redo"))
            continue;
        if (action->shortcuts().contains(pressed))
            return true;
    }
    return false;
}

QWidget* DocumentController::dialogParent() const
{
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return m_mainWindow.get();
}

bool DocumentController::offerImport(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (!m_importFile || (suffix != QLatin1String("kml") && suffix != QLatin1String("gpx")))
        return false;
    const int answer = dialogs().ask(dialogParent(), tr("Import \u201c%1\u201d?").arg(QFileInfo(path).fileName()),
        tr("This is a %1 file, not a Navora document. Navora can import its waypoints and routes as new "
           "documents.")
            .arg(suffix.toUpper()),
        {tr("Import"), tr("Cancel")});
    if (answer == 0)
        m_importFile(path);
    return true;
}

QString DocumentController::documentTitle(const Document& document) const
{
    return QStringLiteral("\u201c%1\u201d").arg(QString::fromStdString(document.displayName()));
}

} // namespace navora
