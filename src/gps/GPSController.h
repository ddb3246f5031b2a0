#pragma once

#include "gps/GPSLink.h"
#include "gps/GPSTimings.h"
#include "gps/LinkStatus.h"
#include "gps/TrackRecorder.h"
#include "gps/WakeEvent.h"
#include "nav/NavEngine.h"
#include "nav/PlotScene.h"
#include "nav/UnitSystem.h"

#include "core/ControlState.h"
#include "core/NotificationObject.h"
#include "model/Route.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

namespace navora {

class AlertDispatcher;
class Display;
class NotificationCenter;
class Settings;

// The controller of the GPS link, the fix display and the navigation
// displays, to the rest of the program. It owns the link to gpsd and the GPS
// thread that waits on it; each report posts "TRVgpsUpdateReceived", and
// updateGPS hands it to the navigation engine, on the GPS thread. The engine
// holds the rules; this class serialises the calls into it under one lock
// and delivers what each call gives back: the display writes (under the
// lock, so they reach the display in the engine's order), then the alerts
// and notifications (after it, so their observers may call back in).
//
// GPSController.cpp holds the life cycle, settings and the engine calls,
// GPSControllerLink.cpp the link and the GPS thread.
class GPSController {
public:
    // What the controller works with; tests give their own.
    struct Services {
        Settings& settings;
        NotificationCenter& center;
        std::shared_ptr<Display> display;
        // Never empty: a real GpsdLink, or a test's own.
        std::unique_ptr<GPSLink> link;
        // Makes the alert dispatcher when the window loads.
        std::function<std::shared_ptr<AlertDispatcher>()> makeAlertDispatcher;
        GPSTimings timings;
        // False for a controller whose reports its user feeds in itself
        // (the tests of the engine calls): no GPS thread is started.
        bool connects = true;
    };

    explicit GPSController(Services services);
    // Logs "GPS Controller shutting down", stops the GPS thread and waits for
    // it to end, then closes the link.
    ~GPSController();
    GPSController(const GPSController&) = delete;
    GPSController& operator=(const GPSController&) = delete;

    // Link and GPS thread (user-interface thread). The GPS thread connects,
    // so the caller never waits on the network; until stopped it reconnects
    // whenever the link is lost, at growing intervals.
    void windowDidLoad();
    void stopAll();
    // Keeps a track log of the fixes from now on, one file per track in
    // folder (call before the GPS thread starts).
    void recordTrack(std::string folder);
    // The track recorded so far (empty without a track log).
    std::vector<TrackPoint> recordedTrack() const;
    // Ends the recorded track: the next position starts a new one.
    void startNewTrack();
    // What the plot shows now (any thread).
    PlotScene plotScene() const;
    void handleChangeServerPort(const NotificationObject& object);
    // The GPS thread is at work (connected or trying to be).
    bool running() const { return m_running.load(); }
    // The link to gpsd is up.
    bool connected() const { return m_connected.load(); }
    std::string server() const;
    std::string port() const;
    int gpsdProtocol() const { return m_gpsdProtocol.load(); }
    GPSLink& gps1() const { return *m_gps1; }
    AlertDispatcher* ac() const { return m_ac.get(); }

    // Fix ingestion (GPS thread; also callable directly).
    void updateGPS(const NotificationObject& object);
    // A receiver silent beyond the stale bound goes off line (GPS thread,
    // at least once a second).
    void checkReceiverStale();
    // The link was given up: the receiver is off line until it answers.
    void receiverLinkLost();
    void clearFixFields();
    void clearSats();
    FixState fixState() const;
    double lat() const { return fixState().lat; }
    double lon() const { return fixState().lon; }
    double alt() const { return fixState().alt; }
    double spd() const { return fixState().spd; }
    double trk() const { return fixState().trk; }
    std::chrono::sys_seconds fixDate() const { return fixState().fixDate; }
    WaypointPtr currentPos() const { return fixState().currentPos; }
    int lastMode() const { return fixState().lastMode; }
    bool mnOn() const;
    void setMnOn(bool mnOn);

    // Units.
    void changeUnits(char c);
    void handleChangeUnits(const NotificationObject& object);
    char units() const;
    double altconv() const { return factor(&UnitSystem::altconv); }
    double spdconv() const { return factor(&UnitSystem::spdconv); }
    double vspconv() const { return factor(&UnitSystem::vspconv); }
    double dstconv() const { return factor(&UnitSystem::dstconv); }
    double errconv() const { return factor(&UnitSystem::errconv); }
    std::string alt_units() const { return label(&UnitSystem::alt_units); }
    std::string spd_units() const { return label(&UnitSystem::spd_units); }
    std::string vsp_units() const { return label(&UnitSystem::vsp_units); }
    std::string dst_units() const { return label(&UnitSystem::dst_units); }
    std::string err_units() const { return label(&UnitSystem::err_units); }

    // Arrival-alert lead time.
    void handleChangeArrivalAlert(const NotificationObject& object);
    int arrivalAlertSeconds() const;
    float arrivalAlertHours() const;

    // Waypoint documents asking for the current position.
    void handleWDneedsCP(const NotificationObject& object);

    // Navigation pass: the solution to the active waypoint, written to the
    // showing display, with the sequencing decisions.
    void updateNavData();

    // Activation. An index outside the route, or auto-location on fewer than
    // two waypoints, is refused with a log line and changes nothing.
    void activateRoute(const RoutePtr& route, int index);
    void autoLocateOnRoute(const RoutePtr& route);
    void handleWaypointActivated(const NotificationObject& object);
    void handleRouteActivated(const NotificationObject& object);
    // The route's document reports an edit; it is posted on the thread that
    // owns the route, so the engine copies it there, under the lock.
    void handleRouteEdited(const NotificationObject& object);
    void clearAllWpFields();

    // Navigation state (copies taken under the lock).
    RoutePtr activeRoute() const;
    WaypointPtr prevWaypoint() const;
    WaypointPtr activeWaypoint() const;
    WaypointPtr nextWaypoint() const;
    LegCache legCache() const;
    SequencingState sequencingState() const;

    // Display modes, CDI scale and closing.
    void showNav();
    void toggleMiniNav();
    void changeCDIScale(const ControlState& sender);
    std::pair<double, double> cdiRange() const;
    void handleChangeMNFloat(const NotificationObject& object);
    // Asked before the navigation window closes; true answers "Yes".
    using StopQuestion = std::function<bool(
        std::string_view title, std::string_view message, std::string_view yes, std::string_view no)>;
    void setStopQuestion(StopQuestion question);
    bool windowShouldClose(std::string_view window);

private:
    enum class Wait { Readable, Woken, Timeout, Failed };

    // GPSController.cpp
    void readSettings();
    void registerObservers();
    void copyServerPort();
    // Runs an engine call under the lock and delivers what it gave back
    // once the lock is released.
    template <typename Call> void drive(Call call);
    // Delivers outputs in the order the engine made them, on whichever
    // thread gets there first; a call made while outputs are being delivered
    // (an observer activating a route) only queues its own.
    void deliverInOrder();
    void deliver(const std::vector<NavEngine::Event>& events);
    // Writes of the link's own, in order with the engine's; dropped once
    // stopped, so that nothing follows the closing of the windows.
    void writeWhileRunning(DisplayBatch batch);
    // A copy of part of the engine's state, taken under the lock.
    template <typename Read> auto read(Read get) const;
    // The unit system's factor or label; 0 or empty before a known system.
    double factor(double UnitSystem::*member) const;
    std::string label(std::string_view UnitSystem::*member) const;

    // How an open is logged and what follows it.
    enum class Attempt { First, Retry };

    // GPSControllerLink.cpp
    void startLink();
    void runGpsThread();
    bool openLink(Attempt attempt);
    void sendStartCommands();
    // Serves the link until it fails or a server change asks for a reopen;
    // returns why it ended (empty when stopped).
    std::string serveLink();
    Wait waitForReport();
    bool reopenLink(const std::string& reason);
    // Waits before the next attempt, ticking; true when a server change cut
    // the wait short.
    bool waitToRetry(int failures);
    std::chrono::milliseconds retryDelay(int failures) const;
    // The receiver's staleness is checked here.
    void idleTick();
    void installRawHook();
    void update_notify(const GPSRecord& record, std::string_view text);
    void askAgainForStatus();
    void logConnecting(const std::string& server, const std::string& port) const;
    std::string endpoint() const;
    // Shows what the link is doing, when it changed (GPS thread).
    void showLinkStatus(LinkStatus status);
    // The fix just taken joins the track log (GPS thread).
    void offerToTrack();

    Settings& m_settings;
    NotificationCenter& m_center;
    std::shared_ptr<Display> m_display;
    std::unique_ptr<GPSLink> m_gps1;
    std::unique_ptr<TrackRecorder> m_trackRecorder;
    double m_lastTrackedFix = 0.0;
    std::function<std::shared_ptr<AlertDispatcher>()> m_makeAlertDispatcher;
    const GPSTimings m_timings;
    const bool m_connects;
    std::shared_ptr<AlertDispatcher> m_ac;

    // The link: the server and port to connect to, set by the user-interface
    // thread and read by the GPS thread when it reopens.
    mutable std::mutex m_endpointMutex;
    std::string m_server;
    std::string m_port = "2947";
    std::atomic<int> m_gpsdProtocol{0};
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_reopenRequested{false};
    std::atomic<bool> m_connected{false};
    // GPS thread only: why the last open failed, and what the window shows.
    std::string m_openFailure;
    std::optional<LinkStatus> m_shownStatus;
    WakeEvent m_wake;
    std::thread m_thread;
    // When "omyx" was last sent, so a server that keeps reporting mode 0 is
    // asked again once per quiet interval rather than once per report.
    std::chrono::steady_clock::time_point m_lastStatusRequest{};

    // Serialises reports, navigation passes, activations and display
    // switches, and every read of the engine's state.
    mutable std::mutex m_engineMutex;
    NavEngine m_engine;
    StopQuestion m_stopQuestion;
    // Outputs made under m_engineMutex and not yet delivered, in order.
    std::mutex m_deliveryMutex;
    std::deque<NavEngine::Output> m_undelivered;
    bool m_delivering = false;
};

} // namespace navora
