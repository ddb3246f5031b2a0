#include "app/AppController.h"

#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"
#include "core/QtText.h"

#include "app/TrackGpxWriter.h"
#include "app/preferences/PreferenceController.h"
#include "app/update/UpdateCheck.h"
#include "documents/Dialogs.h"
#include "documents/DocumentController.h"
#include "documents/DocumentWindow.h"
#include "documents/WaypointDocument.h"
#include "gps/windows/GPSWindowController.h"
#include "io/ExportController.h"
#include "io/ImportController.h"
#include "model/DocumentTypes.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>

namespace navora {

AppController::AppController(Services services)
    : m_services(std::move(services))
    , m_mnItem(m_services.documents.action("toggleMiniNav"))
{
    connectMenu();
    m_services.documents.setImportFile([this](const QString& path) { importFile(path); });
    m_services.center.addObserver(
        this, TRVCheckGPSRunning, [this](const NotificationObject& object) { handleCheckGPSRunning(object); });
}

AppController::~AppController()
{
    m_services.center.removeObserver(this);
    m_gpsController.reset();
    m_preferenceController.reset();
    m_importController.reset();
    m_exportController.reset();
    m_updateCheck.reset();
}

void AppController::connectMenu()
{
    const std::pair<const char*, void (AppController::*)()> commands[] = {
        {"importKML", &AppController::importKML},
        {"importGPX", &AppController::importGPX},
        {"exportKML", &AppController::exportKML},
        {"exportGPX", &AppController::exportGPX},
        {"exportTrack", &AppController::exportTrack},
        {"showGPSWindow", &AppController::showGPSWindow},
        {"showNavWindow", &AppController::showNavWindow},
        {"toggleMiniNav", &AppController::toggleMiniNav},
        {"showPreferencePanel", &AppController::showPreferencePanel},
        {"stopGPS", &AppController::stopGPS},
        {"markPosition", &AppController::markPosition},
        {"showPlot", &AppController::showPlot},
        {"startNewTrack", &AppController::startNewTrack},
        {"checkForUpdates", &AppController::checkForUpdates},
        {"showAbout", &AppController::showAbout},
    };
    // New Waypoints List is the document framework's own command.
    for (const auto& entry : commands) {
        if (QAction* action = m_services.documents.action(QString::fromLatin1(entry.first)))
            connect(action, &QAction::triggered, this, [this, command = entry.second] { (this->*command)(); });
    }
}

void AppController::openNewWaypointsList()
{
    m_services.documents.openNewWaypointsList();
}

void AppController::importKML()
{
    ensureImportController().importKML();
}

void AppController::importGPX()
{
    ensureImportController().importGPX();
}

void AppController::exportKML()
{
    ensureExportController().exportKML();
}

void AppController::exportGPX()
{
    ensureExportController().exportAllToGPX();
}

void AppController::exportTrack()
{
    const std::vector<TrackPoint> track
        = m_gpsController ? m_gpsController->controller().recordedTrack() : std::vector<TrackPoint>();
    if (track.empty()) {
        DocumentController& documents = m_services.documents;
        documents.dialogs().tell(documents.dialogParent(), tr("No track to export"),
            tr("The track log holds no position yet: it records while the GPS gives fixes."));
        return;
    }
    ensureExportController().exportTrack(track, TrackGpxWriter::title(track).toStdString());
}

void AppController::showGPSWindow()
{
    GPSWindowController& gps = ensureGPSController();
    // The MiniNav stays the only GPS display while it is on.
    if (gps.controller().mnOn())
        return;
    gps.showWindow();
}

void AppController::showNavWindow()
{
    showGPSWindow();
    m_gpsController->controller().showNav();
}

void AppController::toggleMiniNav()
{
    GPSWindowController& gps = ensureGPSController();
    gps.controller().toggleMiniNav();
    showMiniNavState(gps.controller().mnOn());
}

void AppController::showMiniNavState(bool mnOn)
{
    if (m_mnItem)
        m_mnItem->setChecked(mnOn);
    const QString why = mnOn ? tr("The MiniNav is on: switch it off with GPS \u25B8 MiniNav (Ctrl+M)") : QString();
    for (const char* name : {"showGPSWindow", "showNavWindow"}) {
        QAction* action = m_services.documents.action(QString::fromLatin1(name));
        if (!action)
            continue;
        action->setEnabled(!mnOn);
        // An empty tip gives the command's own text back.
        action->setToolTip(why);
        action->setStatusTip(why);
        for (QObject* shownIn : action->associatedObjects()) {
            if (auto* menu = qobject_cast<QMenu*>(shownIn))
                menu->setToolTipsVisible(true);
        }
    }
}

void AppController::showPreferencePanel()
{
    if (!m_preferenceController)
        m_preferenceController = PreferenceController::create(m_services.settings, m_services.center);
    if (m_preferenceController)
        m_preferenceController->showWindow();
}

void AppController::showPlot()
{
    ensureGPSController().showPlot();
}

std::vector<PlotScene::Backdrop> AppController::plotBackdrops() const
{
    std::vector<PlotScene::Backdrop> backdrops;
    for (const DocumentPtr& document : m_services.documents.openDocuments()) {
        PlotScene::Backdrop& backdrop = backdrops.emplace_back();
        backdrop.joined = document->route() != nullptr;
        for (const WaypointPtr& waypoint : document->waypointList())
            backdrop.places.emplace_back(waypoint->latitude(), waypoint->longitude());
    }
    return backdrops;
}

void AppController::startNewTrack()
{
    if (m_gpsController)
        m_gpsController->controller().startNewTrack();
}

void AppController::markPosition()
{
    DocumentController& documents = m_services.documents;
    const WaypointPtr position = m_gpsController ? m_gpsController->controller().currentPos() : nullptr;
    if (!position) {
        documents.dialogs().tell(documents.dialogParent(), tr("No position to mark"),
            tr("The GPS gives no current position. Start it from the GPS menu and wait for a fix."));
        return;
    }
    WaypointDocument* list = dynamic_cast<WaypointDocument*>(documents.currentDocument());
    for (const DocumentPtr& open : documents.openDocuments()) {
        if (!list)
            list = dynamic_cast<WaypointDocument*>(open.get());
    }
    if (!list)
        list = static_cast<WaypointDocument*>(documents.makeUntitledDocumentOfType(kWaypointsDocumentType.name));
    if (!list)
        return;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const std::string name = list->markPosition(*position, now.toString(Qt::ISODate).toStdString());
    if (DocumentWindow* window = documents.windowFor(*list)) {
        documents.showDocument(*list);
        window->statusBar()->showMessage(
            tr("%1 marked at %2").arg(QString::fromStdString(name), now.toLocalTime().toString("HH:mm:ss")), 15000);
    }
}

void AppController::stopGPS()
{
    if (!m_gpsController)
        return;
    m_gpsController->controller().stopAll();
    m_gpsController.reset();
    // No current position any more: the documents stop offering it.
    m_services.center.post(TRVcpUpdated, NotificationObject());
    // The next GPS controller starts with the full display.
    showMiniNavState(false);
}

void AppController::checkForUpdates()
{
    ensureUpdateCheck().checkForUpdates();
}

void AppController::cancelUpdate()
{
    if (m_updateCheck)
        m_updateCheck->cancelUpdate();
}

void AppController::showAbout()
{
    // The program's own icon, not a warning's.
    QMessageBox::about(m_services.documents.dialogParent(), tr("About Navora"),
        tr("<b>Navora %1</b><p>GPS route navigation with gpsd: the live fix, waypoint lists and routes, "
           "followed leg by leg with spoken and desktop alerts.</p>")
            .arg(QCoreApplication::applicationVersion()));
}

void AppController::handleCheckGPSRunning(const NotificationObject&)
{
    showGPSWindow();
}

GPSWindowController& AppController::ensureGPSController()
{
    if (!m_gpsController) {
        m_gpsController = std::make_unique<GPSWindowController>(
            GPSWindowController::Services{m_services.settings, m_services.center, m_services.makeLink(),
                m_services.makeAlertDispatcher, m_services.timings, m_services.stopQuestion, true,
                std::chrono::seconds(60), m_services.trackFolder, [this] { return plotBackdrops(); }});
    }
    return *m_gpsController;
}

ImportController& AppController::ensureImportController()
{
    if (!m_importController) {
        DocumentController& documents = m_services.documents;
        auto openPanel = [&documents](std::string_view extension) -> std::optional<std::string> {
            const std::optional<QString> path
                = documents.dialogs().openFile(documents.dialogParent(), tr("Import"), {toQString(extension)});
            if (!path)
                return std::nullopt;
            return path->toStdString();
        };
        m_importController = makeImportController(openPanel);
    }
    return *m_importController;
}

void AppController::importFile(const QString& path)
{
    // The file is chosen already: the import's panel answers with it.
    const std::unique_ptr<ImportController> importer
        = makeImportController([path](std::string_view) -> std::optional<std::string> { return path.toStdString(); });
    if (QFileInfo(path).suffix().compare(QLatin1String("gpx"), Qt::CaseInsensitive) == 0)
        importer->importGPX();
    else
        importer->importKML();
}

std::unique_ptr<ImportController> AppController::makeImportController(ImportController::OpenPanel openPanel)
{
    DocumentController& documents = m_services.documents;
    // Cancel last: closing the panel another way cancels too.
    auto question = [&documents] {
        const int answer = documents.dialogs().ask(documents.dialogParent(),
            toQString(ImportController::kQuestionTitle), toQString(ImportController::kQuestionMessage),
            {toQString(ImportController::kRouteButton), toQString(ImportController::kWaypointsButton),
                toQString(ImportController::kCancelButton)});
        if (answer == 0)
            return ImportChoice::Route;
        return answer == 1 ? ImportChoice::Waypoints : ImportChoice::Cancel;
    };
    auto failure = [&documents](const std::string& reason) {
        documents.dialogs().tell(
            documents.dialogParent(), tr("The file could not be imported."), QString::fromStdString(reason));
    };
    auto importer = std::make_unique<ImportController>(documents, std::move(openPanel), question, failure);
    importer->setTrackReport([&documents](const std::string& message) {
        documents.dialogs().inform(
            documents.dialogParent(), tr("Track imported as a route"), QString::fromStdString(message));
    });
    return importer;
}

ExportController& AppController::ensureExportController()
{
    if (!m_exportController) {
        DocumentController& documents = m_services.documents;
        auto savePanel
            = [&documents](std::string_view extension, std::string_view title) -> std::optional<std::string> {
            const std::optional<QString> path
                = documents.chooseSavePath(tr("Export"), toQString(title), toQString(extension));
            if (!path)
                return std::nullopt;
            return path->toStdString();
        };
        auto failure = [&documents](const std::string& reason) {
            documents.dialogs().tell(
                documents.dialogParent(), tr("The file could not be exported."), QString::fromStdString(reason));
        };
        m_exportController
            = std::make_unique<ExportController>(documents, m_services.settings, m_services.center, savePanel, failure);
    }
    return *m_exportController;
}

UpdateCheck& AppController::ensureUpdateCheck()
{
    if (!m_updateCheck) {
        if (m_services.makeUpdateCheck)
            m_updateCheck = m_services.makeUpdateCheck();
        else
            m_updateCheck = std::make_unique<UpdateCheck>(
                UpdateCheck::Options::fromBuildAndEnvironment(QCoreApplication::applicationVersion()));
    }
    return *m_updateCheck;
}

} // namespace navora
