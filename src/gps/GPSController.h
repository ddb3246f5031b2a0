#pragma once

#include "gps/DisplayBatch.h"
#include "gps/FixState.h"
#include "gps/GPSLink.h"
#include "gps/GPSTimings.h"
#include "gps/LegCache.h"
#include "gps/SequencingState.h"
#include "gps/WakeEvent.h"

#include "core/ControlState.h"
#include "core/NotificationObject.h"
#include "model/Route.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

namespace navora {

class AlertDispatcher;
class Display;
class NotificationCenter;
class Settings;
struct UnitSystem;

// The controller of the GPS link, the fix display and (with the navigation
// engine) the navigation displays. It owns the link to gpsd and the GPS
// thread that waits on it; each report posts "TRVgpsUpdateReceived", and
// updateGPS takes it into the fix state, the "PPOS" waypoint, the display
// and the mode alerts, on the GPS thread.
//
// Member functions live in several files by concern: GPSController.cpp
// (life cycle and settings), GPSControllerLink.cpp (link and GPS thread),
// GPSControllerFix.cpp (fix ingestion), GPSControllerUnits.cpp (units), and
// in src/nav the navigation engine: GPSControllerSolution.cpp (the pass),
// GPSControllerSequencing.cpp (arrival, passage, reversal, destination),
// GPSControllerActivation.cpp (routes and waypoints made active) and
// GPSControllerNavDisplay.cpp (display modes, CDI scale, closing).
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
    };

    explicit GPSController(Services services);
    // Logs "GPS Controller shutting down", stops the GPS thread and waits for
    // it to end, then closes the link.
    ~GPSController();
    GPSController(const GPSController&) = delete;
    GPSController& operator=(const GPSController&) = delete;

    // Link and GPS thread (user-interface thread).
    void windowDidLoad();
    void stopAll();
    void handleChangeServerPort(const NotificationObject& object);
    bool running() const { return m_running.load(); }
    std::string server() const;
    std::string port() const;
    int gpsdProtocol() const { return m_gpsdProtocol; }
    GPSLink& gps1() const { return *m_gps1; }
    AlertDispatcher* ac() const { return m_ac.get(); }

    // Fix ingestion (GPS thread; also callable directly).
    void updateGPS(const NotificationObject& object);
    void clearFixFields();
    void clearSats();
    FixState fixState() const;
    double lat() const;
    double lon() const;
    double alt() const;
    double spd() const;
    double trk() const;
    std::chrono::sys_seconds fixDate() const;
    WaypointPtr currentPos() const;
    int lastMode() const;
    bool mnOn() const { return m_mnOn.load(); }
    void setMnOn(bool mnOn);

    // Units.
    void changeUnits(char c);
    void handleChangeUnits(const NotificationObject& object);
    char units() const;
    double altconv() const;
    double spdconv() const;
    double vspconv() const;
    double dstconv() const;
    double errconv() const;
    std::string alt_units() const;
    std::string spd_units() const;
    std::string vsp_units() const;
    std::string dst_units() const;
    std::string err_units() const;

    // Arrival-alert lead time.
    void handleChangeArrivalAlert(const NotificationObject& object);
    int arrivalAlertSeconds() const { return m_arrivalAlertSeconds.load(); }
    float arrivalAlertHours() const { return m_arrivalAlertHours.load(); }

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
    void clearAllWpFields();

    // Navigation state (copies taken under the navigation lock).
    RoutePtr activeRoute() const;
    WaypointPtr prevWaypoint() const;
    WaypointPtr activeWaypoint() const;
    WaypointPtr nextWaypoint() const;
    void setActiveRoute(const RoutePtr& route);
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
    // The fields one report writes: the GPS window's or the MiniNav's.
    struct FieldSet;
    struct UnitState {
        char units = 0;
        // nullptr before the first known system: factors 0, labels empty.
        const UnitSystem* system = nullptr;
    };
    enum class Wait { Readable, Woken, Timeout, Failed };

    // GPSController.cpp
    void readSettings();
    void registerObservers();
    void copyServerPort();
    void apply(DisplayBatch batch);

    // GPSControllerLink.cpp
    void openLink();
    void runGpsThread();
    Wait waitForReport();
    bool reopenLink();
    void installRawHook();
    void update_notify(const GPSRecord& record, std::string_view text);
    void askAgainForStatus();
    void logConnecting(const std::string& server, const std::string& port) const;

    // GPSControllerFix.cpp
    const FieldSet& currentSet() const;
    void clearFixFields(DisplayBatch& batch, const FieldSet& set);
    void clearSats(DisplayBatch& batch);
    void showOffline(DisplayBatch& batch, const FieldSet& set);
    void showModeState(DisplayBatch& batch, const FieldSet& set, int mode);
    void takeFix(DisplayBatch& batch, const FieldSet& set, const GPSRecord& record, const UnitState& units);
    void showErrorVisibility(DisplayBatch& batch, const GPSRecord& record);
    void raiseModeChangeAlert(int mode, int lastMode);
    void takeFixTime(DisplayBatch& batch, const FieldSet& set, const GPSRecord& record);
    void showSats(DisplayBatch& batch, const GPSRecord& record);
    void raiseAlert(std::string_view key);

    // GPSControllerUnits.cpp
    UnitState unitState() const;

    // src/nav: the fix as the navigation pass reads it, copied per report so
    // a pass run by an activation never reads the link's record.
    struct NavFix {
        int mode = 0;
        // Metres per second and degrees true, as gpsd gives them.
        double speed = 0.0;
        double track = 0.0;
    };
    // The quantities of one pass from the position to the active waypoint.
    struct Solution {
        float bearing = 0.0f;
        float distance = 0.0f;
        float vmg = 0.0f;
        // Hours; only when vmg > 0.
        float timeEnRoute = 0.0f;
    };
    // Opens a batch for the writes of an activation or switch unless a
    // report's batch is open, and hands it to the display when done.
    class BatchScope;
    void takeNavFix(const GPSRecord& record);
    void noteFixStatus(std::string_view title);
    DisplayBatch& batch();
    void updateFullNav(const WaypointPtr& cp);
    void updateMiniNav(const WaypointPtr& cp);
    void writeLegTitle();
    void writeCurrentLeg(const WaypointPtr& cp, bool usable);
    void writeTimes(const Solution& solution);
    void writeRouteTotals(const Solution& solution);
    float routeRemaining();
    void nextLegStep();
    void currentLegStep();
    Solution solve(const Waypoint& cp) const;
    bool usableFix(const WaypointPtr& cp) const;
    void arrivalAlertStep(std::string_view eteField, const Solution& solution);
    void passageCheck(const Waypoint& cp, const Solution& solution);
    void destinationArrivalCheck(const Solution& solution);
    void stationPassage();
    void resetLegState();
    bool validRouteIndex(const RoutePtr& route, int index) const;
    static int nearestLeg(const Waypoint& cp, const Route& route);

    void writeUnitLabels(DisplayBatch& batch, const UnitState& units) const;

    Settings& m_settings;
    NotificationCenter& m_center;
    std::shared_ptr<Display> m_display;
    std::unique_ptr<GPSLink> m_gps1;
    std::function<std::shared_ptr<AlertDispatcher>()> m_makeAlertDispatcher;
    const GPSTimings m_timings;
    std::shared_ptr<AlertDispatcher> m_ac;

    // The link: the server and port to connect to, set by the user-interface
    // thread and read by the GPS thread when it reopens.
    mutable std::mutex m_endpointMutex;
    std::string m_server;
    std::string m_port = "2947";
    int m_gpsdProtocol = 0;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_reopenRequested{false};
    WakeEvent m_wake;
    std::thread m_thread;
    // When "omyx" was last sent, so a server that keeps reporting mode 0 is
    // asked again once per quiet interval rather than once per report.
    std::chrono::steady_clock::time_point m_lastStatusRequest{};

    // Written by the GPS thread, read by any.
    mutable std::mutex m_fixMutex;
    FixState m_fix;

    mutable std::mutex m_unitsMutex;
    UnitState m_units;

    std::atomic<bool> m_mnOn{false};
    std::atomic<int> m_arrivalAlertSeconds{0};
    std::atomic<float> m_arrivalAlertHours{0.0f};

    // Serialises reports, navigation passes, activations and display switches;
    // recursive, so a pass may activate. The report's batch is open while it
    // is held by a report, and the navigation pass writes into it.
    mutable std::recursive_mutex m_navMutex;
    DisplayBatch* m_reportBatch = nullptr;

    // Navigation state, under m_navMutex. The next waypoint is held too, so
    // an edit of the active route can never leave it dangling.
    RoutePtr m_activeRoute;
    WaypointPtr m_prevWaypoint;
    WaypointPtr m_activeWaypoint;
    WaypointPtr m_nextWaypoint;
    LegCache m_legCache;
    SequencingState m_sequencingState;
    NavFix m_navFix;
    // The fix-status text last written into the showing display's box.
    std::string m_fixStatus;
    // The range of wpCrossTrackCDI, set by changeCDIScale (1 nautical mile
    // to start, as the layout's initial choice).
    double m_cdiMinimum = -1.0;
    double m_cdiMaximum = 1.0;
    StopQuestion m_stopQuestion;
};

} // namespace navora
