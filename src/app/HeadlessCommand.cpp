#include "app/HeadlessCommand.h"

#include "app/HeadlessAlertDispatcher.h"
#include "app/SignalWatcher.h"
#include "app/TrackGpxWriter.h"
#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/QtSettingsStore.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"

#include "alerts/AlertController.h"
#include "alerts/DBusDesktopNotifier.h"
#include "alerts/QtSpeechSynthesizer.h"
#include "alerts/SystemBeeper.h"
#include "gps/GPSController.h"
#include "gps/GpsdLink.h"
#include "gps/JsonLinesDisplay.h"
#include "gps/NavigationRequest.h"
#include "model/TrackFile.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <string_view>

namespace navora {

namespace {

constexpr const char* usageText
    = "Usage: navora --headless [--server HOST] [--port PORT] [--units n|m|i|s]\n"
      "                         [--navigate FILE (--index N | --join | --waypoint NAME)]\n"
      "                         [--track FILE.gpx]\n"
      "\n"
      "Connects to gpsd and runs the GPS link and fix display without windows.\n"
      "What the GPS window would show goes to standard output as JSON lines: one\n"
      "object per gpsd report, from field name to value (\"fixLatitude\": 52.5,\n"
      "\"fixBox.title\": \"3D fix\"), and one line per alert ({\"alert\": \"GPSOffline\"}).\n"
      "The log goes to standard error. Runs until interrupted (Ctrl-C, SIGTERM).\n"
      "\n"
      "  --server HOST   gpsd server (default: the \"GPSd server\" setting)\n"
      "  --port PORT     gpsd port, at most 5 characters (default: the \"GPSd port\" setting)\n"
      "  --units CODE    n nautical, m metric, i imperial, s SI (default: the \"Units\" setting)\n"
      "  --navigate FILE navigate a route (.nvr) or a waypoint of a list (.nvw), once a\n"
      "                  position is known; navigation fields and alerts (key, text,\n"
      "                  speech) appear in the JSON lines\n"
      "  --index N       route: head for its waypoint N (from 0) directly, then on\n"
      "  --join          route: join it at the leg nearest the position\n"
      "  --waypoint NAME list: the waypoint to head for\n"
      "  --track FILE    record the track: the track log keeps it under the user's\n"
      "                  data folder, and FILE gets it as GPX each minute and at the end\n"
      "  --help          show this help and exit\n"
      "\n"
      "The user's settings are read, never written. While gpsd cannot be\n"
      "reached it is tried again, at growing intervals up to a minute. Exit\n"
      "status: 0 after an interrupt, 1 when the track could not be written, 2 for\n"
      "a command line in error or a file to navigate that cannot be followed.\n";

// The user's settings, copied: the command line may override them for this
// run without anything being written back.
void copySettings(const SettingsStore& from, SettingsStore& to)
{
    for (const std::string& key : from.keys())
        to.setValue(key, from.value(key));
}

std::shared_ptr<AlertDispatcher> makeAlertDispatcher(
    const Settings& settings, NotificationCenter& center, const std::shared_ptr<JsonLinesDisplay>& output)
{
    AlertController::Services services;
    services.notifier = std::make_unique<DBusDesktopNotifier>();
    // A speech engine only when speech is wanted: starting one costs time
    // and may start a speech server.
    if (settings.boolForKey(TRVSpeechOnKey))
        services.speechSynth = QtSpeechSynthesizer::create();
    services.beeper = std::make_unique<SystemBeeper>();
    auto alerts = std::make_shared<AlertController>(settings, center, std::move(services));
    return std::make_shared<HeadlessAlertDispatcher>(output, alerts);
}

} // namespace

bool HeadlessCommand::wanted(int argc, char** argv)
{
    return argc > 1 && std::string_view(argv[1]) == "--headless";
}

const char* HeadlessCommand::usage()
{
    return usageText;
}

std::optional<HeadlessCommand::Options> HeadlessCommand::parse(int argc, char** argv)
{
    return CommandOptions::parse(argc, argv, CommandOptions::Mode::Headless, usageText);
}

int HeadlessCommand::run(int argc, char** argv)
{
    const std::optional<Options> options = parse(argc, argv);
    if (!options)
        return 2;
    if (options->help) {
        std::fputs(usageText, stdout);
        return 0;
    }

    std::optional<NavigationRequest> navigation;
    if (!options->loadNavigation(navigation))
        return 2;

    // Blocked before any thread starts, then read by the event loop.
    SignalWatcher::block({SIGINT, SIGTERM});

    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Navora");
    QCoreApplication::setApplicationName("Navora");

    const QtSettingsStore userSettings;
    MemorySettingsStore store;
    copySettings(userSettings, store);
    Settings settings(store);
    settings.registerDefaults();
    if (options->server)
        settings.setString(TRVgpsdServerKey, *options->server);
    if (options->port)
        settings.setString(TRVgpsdPortKey, *options->port);
    if (options->units)
        settings.setInteger(TRVUnitsKey, *options->units);

    NotificationCenter center;
    auto output = std::make_shared<JsonLinesDisplay>(JsonLinesDisplay::standardOutput());
    {
        GPSController controller(GPSController::Services{settings, center, output, std::make_unique<GpsdLink>(),
            [&] { return makeAlertDispatcher(settings, center, output); }, GPSTimings{}});
        // Connects on the GPS thread and keeps trying while gpsd is away (the
        // log on standard error says so); only a signal ends the run.
        std::optional<TrackGpxWriter> track;
        if (options->track) {
            controller.recordTrack(TrackFile::folder());
            track.emplace(*options->track, [&controller] { return controller.recordedTrack(); });
        }
        controller.windowDidLoad();
        SignalWatcher stop({SIGINT, SIGTERM}, [](int) { QCoreApplication::quit(); });
        if (navigation)
            navigation->start(controller, center);
        QCoreApplication::exec();
        controller.stopAll();
        if (navigation)
            navigation->stop(center);
        if (track && !track->write())
            return 1;
    }
    return 0;
}

} // namespace navora
