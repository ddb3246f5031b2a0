#pragma once

#include "gps/GPSController.h"
#include "gps/GPSLink.h"
#include "gps/GPSTimings.h"

#include <QAction>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

namespace navora {

class AlertDispatcher;
class DocumentController;
class ExportController;
class GPSWindowController;
class ImportController;
class NotificationCenter;
class NotificationObject;
class PreferenceController;
class Settings;
class UpdateCheck;

// The target of the main menu. It makes its controllers on first use and
// owns them: the GPS controller with its windows (released by Stop GPS),
// the preferences window, the import and export controllers and the update
// check. A document about to activate navigation posts "TRVCheckGPSRunning",
// which brings up the GPS controller and its link.
class AppController : public QObject {
    Q_OBJECT
public:
    using LinkFactory = std::function<std::unique_ptr<GPSLink>()>;
    using UpdateCheckFactory = std::function<std::unique_ptr<UpdateCheck>()>;

    struct Services {
        Settings& settings;
        NotificationCenter& center;
        // Owns the main menu whose commands come here, and the file panels.
        DocumentController& documents;
        // A new link for every GPS controller: GpsdLink in the program.
        LinkFactory makeLink;
        std::function<std::shared_ptr<AlertDispatcher>()> makeAlertDispatcher;
        GPSTimings timings = {};
        // Empty: a message box asks before the navigation window closes.
        GPSController::StopQuestion stopQuestion = {};
        // Empty: the update check of the build and environment.
        UpdateCheckFactory makeUpdateCheck = {};
        // Where the track log keeps its files; empty: no track log.
        std::string trackFolder = {};
    };

    explicit AppController(Services services);
    // Releases the GPS, preferences, import and export controllers, then the
    // update check, in that order.
    ~AppController() override;
    AppController(const AppController&) = delete;
    AppController& operator=(const AppController&) = delete;

    // The menu commands.
    void openNewWaypointsList();
    void importKML();
    void importGPX();
    void exportKML();
    void exportGPX();
    // The track recorded since the GPS started, as GPX.
    void exportTrack();
    void showGPSWindow();
    void showNavWindow();
    void toggleMiniNav();
    void showPreferencePanel();
    void stopGPS();
    // Adds the current position as "MARK n" to the waypoint list in front
    // (else the first open one, else a new one).
    void markPosition();
    void showPlot();
    void startNewTrack();
    void checkForUpdates();
    void cancelUpdate();
    void showAbout();

    // "TRVCheckGPSRunning".
    void handleCheckGPSRunning(const NotificationObject& object);
    // At launch and on re-activation no empty document is opened.
    static bool applicationShouldOpenUntitledFile() { return false; }

    // The controllers made so far; nullptr before first use (and the GPS
    // controller after Stop GPS).
    GPSWindowController* gpsController() const { return m_gpsController.get(); }
    PreferenceController* preferenceController() const { return m_preferenceController.get(); }
    ImportController* importController() const { return m_importController.get(); }
    ExportController* exportController() const { return m_exportController.get(); }
    UpdateCheck* updateCheck() const { return m_updateCheck.get(); }
    // The MiniNav command; its check mark mirrors whether the MiniNav is on.
    QAction* mnItem() const { return m_mnItem; }

private:
    void connectMenu();
    // The MiniNav's check mark, and the Show commands it stands in for: off,
    // saying why, while it is on.
    void showMiniNavState(bool mnOn);
    GPSWindowController& ensureGPSController();
    ImportController& ensureImportController();
    // Imports a KML or GPX file chosen with File > Open.
    void importFile(const QString& path);
    std::unique_ptr<ImportController> makeImportController(
        std::function<std::optional<std::string>(std::string_view)> openPanel);
    ExportController& ensureExportController();
    UpdateCheck& ensureUpdateCheck();
    // The open documents, for the plot to draw faintly.
    std::vector<PlotScene::Backdrop> plotBackdrops() const;

    Services m_services;
    std::unique_ptr<GPSWindowController> m_gpsController;
    std::unique_ptr<PreferenceController> m_preferenceController;
    std::unique_ptr<ImportController> m_importController;
    std::unique_ptr<ExportController> m_exportController;
    std::unique_ptr<UpdateCheck> m_updateCheck;
    QPointer<QAction> m_mnItem;
};

} // namespace navora
