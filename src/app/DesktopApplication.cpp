#include "app/DesktopApplication.h"

#include "app/AlertLogger.h"
#include "app/AppController.h"
#include "app/CommandOptions.h"
#include "app/OverrideSettingsStore.h"
#include "app/ShownWatcher.h"
#include "app/SignalWatcher.h"
#include "app/SnapshotWriter.h"
#include "core/NotificationCenter.h"
#include "core/QtSettingsStore.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"
#include "core/UiThread.h"
#include "model/TrackFile.h"

#include "alerts/AlertController.h"
#include "core/Log.h"
#include "documents/DocumentController.h"
#include "documents/QtDialogs.h"
#include "gps/GPSController.h"
#include "gps/GpsdLink.h"
#include "gps/NavigationRequest.h"
#include "gps/windows/GPSWindowController.h"

#include <QApplication>
#include <QIcon>
#include <QMainWindow>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>

namespace navora {

namespace {

// Where Qt could open its windows: an X or Wayland display, or a platform
// chosen outright (QT_QPA_PLATFORM, e.g. offscreen).
bool hasDisplay()
{
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return true;
    }
    return false;
}

constexpr const char* usageText = "Usage: navora [--server HOST] [--port PORT] [--snapshots DIR]\n"
                                  "              [--navigate FILE (--index N | --join | --waypoint NAME)] [FILE...]\n"
                                  "\n"
                                  "  FILE...         waypoint lists (.nvw) and routes (.nvr) to open\n"
                                  "  --server HOST   gpsd server for this run (the setting is left as it is)\n"
                                  "  --port PORT     gpsd port for this run, at most 5 characters\n"
                                  "  --navigate FILE opens FILE, connects to gpsd, shows the navigation window\n"
                                  "                  and navigates from the first position: a route (.nvr)\n"
                                  "                  with --index N (head for its waypoint N, from 0) or --join\n"
                                  "                  (the leg nearest the position), a list (.nvw) with\n"
                                  "                  --waypoint NAME\n"
                                  "  --snapshots DIR on SIGUSR1, writes every visible window as\n"
                                  "                  DIR/<seq>-<window>.png and the GPS windows' fields as\n"
                                  "                  DIR/<seq>-fields.json, then logs \"Snapshot <seq> written\"\n"
                                  "  --quit-when-shown\n"
                                  "                  once the windows opened at start are painted on the\n"
                                  "                  screen, logs \"Shown after N ms: TITLES\" and quits (to\n"
                                  "                  time the start)\n"
                                  "\n"
                                  "SIGUSR2 switches the MiniNav on or off (logging \"MiniNav on\" or \"MiniNav\n"
                                  "off\"); SIGINT and SIGTERM quit, asking only about unsaved documents. The\n"
                                  "log, with a line \"Alert: KEY\" for every alert raised, goes to standard\n"
                                  "error. --server and --port are never written to the settings.\n";

// "TRVcpUpdated" carries the GPS controller; the documents want its "PPOS".
WaypointPtr currentPosOf(const NotificationObject& object)
{
    if (GPSController* gps = object.sender<GPSController>())
        return gps->currentPos();
    return object.waypoint();
}

std::shared_ptr<AlertDispatcher> makeAlertDispatcher(const Settings& settings, NotificationCenter& center)
{
    // The beep comes from the GPS thread; the toolkit's beep belongs to the
    // user-interface thread.
    AlertController::Services services = AlertController::systemServices([] {
        QMetaObject::invokeMethod(
            qApp, [] { QApplication::beep(); }, Qt::QueuedConnection);
    });
    return std::make_shared<AlertLogger>(std::make_shared<AlertController>(settings, center, std::move(services)));
}

// --server and --port for this run only.
void overrideServerPort(OverrideSettingsStore& store, const CommandOptions& options)
{
    if (options.server)
        store.override(TRVgpsdServerKey, QString::fromStdString(*options.server));
    if (options.port)
        store.override(TRVgpsdPortKey, QString::fromStdString(*options.port));
}

// --navigate: the file as a document, the GPS link and the navigation
// window, then the activation at the first position.
void startNavigation(NavigationRequest& navigation, const std::string& path, DocumentController& documents,
    AppController& controller, NotificationCenter& center, UiThread& uiThread)
{
    // The document's own route (or waypoint) is navigated, so its window
    // locks while it is active.
    if (const DocumentPtr document = documents.openDocumentReportingErrors(QString::fromStdString(path)))
        navigation.adopt(document->route(), document->waypointList());
    controller.showNavWindow();
    controller.showPlot();
    // The document's route belongs to this thread: it is activated here.
    navigation.start(controller.gpsController()->controller(), center,
        [&uiThread](std::function<void()> work) { uiThread.run(std::move(work)); });
}

} // namespace

const char* DesktopApplication::usage()
{
    return usageText;
}

int DesktopApplication::run(int argc, char** argv)
{
    const auto started = std::chrono::steady_clock::now();
    const std::optional<CommandOptions> options
        = CommandOptions::parse(argc, argv, CommandOptions::Mode::Desktop, usageText);
    if (!options)
        return 2;
    std::optional<NavigationRequest> navigation;
    if (!options->loadNavigation(navigation))
        return 2;

    if (!hasDisplay()) {
        std::fputs("navora: no display to show windows on (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                   "Run it in a desktop session, or use \"navora --headless\" for the GPS link without windows.\n",
            stderr);
        return 2;
    }

    // Before any thread starts: Qt's, the GPS thread, speech and D-Bus.
    SignalWatcher::block({SIGINT, SIGTERM, SIGUSR1, SIGUSR2});

    QApplication app(argc, argv);
    QApplication::setOrganizationName("Navora");
    QApplication::setApplicationName("Navora");
    QApplication::setApplicationVersion(NAVORA_VERSION);
    // The desktop entry's name: the Wayland app id, and the icon the
    // installed theme holds for it.
    QGuiApplication::setDesktopFileName("org.navora.Navora");
    QIcon builtIn(":/icons/navora-256.png");
    builtIn.addFile(":/icons/navora-64.png");
    QApplication::setWindowIcon(QIcon::fromTheme("org.navora.Navora", builtIn));
    // The main window stays while documents come and go; quitting asks
    // about unsaved documents first.
    QApplication::setQuitOnLastWindowClosed(false);

    QtSettingsStore userStore;
    OverrideSettingsStore store(userStore);
    overrideServerPort(store, *options);
    Settings settings(store);
    settings.registerDefaults();
    NotificationCenter& center = NotificationCenter::defaultCenter();

    // The setting holds a character code; only its low byte is a character.
    const auto unitsCode = [&settings] {
        return static_cast<char>(static_cast<unsigned char>(settings.integerForKey(TRVUnitsKey) & 0xff));
    };
    DocumentController documents({center, store, std::make_shared<QtDialogs>(), currentPosOf, unitsCode});
    AppController controller({settings, center, documents, [] { return std::make_unique<GpsdLink>(); },
        [&settings, &center] { return makeAlertDispatcher(settings, center); }, {}, {}, {}, TrackFile::folder()});
    documents.setBeforeQuit([&controller, &navigation, &center] {
        if (navigation)
            navigation->stop(center);
        controller.stopGPS();
    });

    std::optional<SnapshotWriter> snapshots;
    if (options->snapshots) {
        snapshots.emplace(QString::fromStdString(*options->snapshots), [&controller] {
            GPSWindowController* gps = controller.gpsController();
            return gps ? gps->fieldSnapshot() : std::map<std::string, std::string>();
        });
    }
    SignalWatcher watcher({SIGINT, SIGTERM, SIGUSR1, SIGUSR2}, [&](int signal) {
        if (signal == SIGUSR1) {
            if (snapshots)
                snapshots->write();
            else
                Log::line("SIGUSR1 ignored: no --snapshots folder was given");
        } else if (signal == SIGUSR2) {
            controller.toggleMiniNav();
            Log::line(controller.gpsController()->controller().mnOn() ? "MiniNav on" : "MiniNav off");
        } else {
            documents.quit();
        }
    });

    documents.mainWindow().show();
    for (const std::string& file : options->files)
        documents.openDocumentReportingErrors(QString::fromStdString(file));
    UiThread uiThread;
    if (navigation)
        startNavigation(*navigation, *options->navigate, documents, controller, center, uiThread);
    std::optional<ShownWatcher> shown;
    if (options->quitWhenShown) {
        // The main window first, then the others shown, in no set order.
        QList<QWidget*> windows = {&documents.mainWindow()};
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && widget != windows.front())
                windows.append(widget);
        }
        shown.emplace(windows, [&documents, started](const QStringList& titles) {
            const auto elapsed
                = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
            Log::format("Shown after %lld ms: %s", static_cast<long long>(elapsed.count()),
                titles.join(QLatin1String(", ")).toUtf8().constData());
            documents.quit();
        });
    }
    const int status = QApplication::exec();
    if (navigation)
        navigation->stop(center);
    return status;
}

} // namespace navora
