#pragma once

#include "nav/DisplayBatch.h"
#include "nav/EpochMerge.h"
#include "nav/FixState.h"
#include "nav/GPSRecord.h"
#include "nav/LegCache.h"
#include "nav/SequencingState.h"

#include "model/Route.h"

#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace navora {

struct UnitSystem;

// The rules of the GPS and navigation displays: each fix report taken into
// the fix state, "PPOS", the display and the mode alerts; the navigation
// solution to the active waypoint; sequencing (arrival warning, passage,
// course reversal, destination); activation; the display modes.
//
// Single-threaded and without I/O beyond log lines: each call gives back the
// display writes, alerts and events it made, in order, for the caller to
// deliver. Its state is plain data, open to the caller.
//
// Member functions live in several files by concern: NavEngineFix.cpp
// (reports), NavEngineSolution.cpp (the pass), NavEngineSequencing.cpp,
// NavEngineActivation.cpp and NavEngineModes.cpp (display modes, units,
// closing).
class NavEngine {
public:
    // An alert to raise. Without texts, the alert table's own are used. The
    // speech is chosen by the dispatcher's "say what" preference: speech of
    // the name, or speechOfComment.
    struct Alert {
        std::string key;
        bool hasTexts = false;
        std::string description;
        std::string speech;
        std::string speechOfComment;

        // An alert with the table's texts.
        static Alert plain(std::string_view key)
        {
            Alert alert;
            alert.key = key;
            return alert;
        }
    };
    // The short beep while closing on a waypoint already announced.
    struct ApproachBeep { };
    // A route (or none) made active, at its active index.
    struct RouteActive {
        RoutePtr route;
    };
    // "PPOS" appeared or went.
    struct PositionChanged { };
    using Event = std::variant<Alert, ApproachBeep, RouteActive, PositionChanged>;

    // What one call makes: the display writes, then the events in the order
    // they arose.
    struct Output {
        DisplayBatch display;
        std::vector<Event> events;
    };

    // The question asked before the navigation window closes.
    struct CloseQuestion {
        std::string_view title;
        std::string_view message;
        std::string_view yes;
        std::string_view no;
    };

    // The fix as the navigation pass reads it, copied per report.
    struct NavFix {
        int mode = 0;
        // Metres per second and degrees true, as gpsd gives them.
        double speed = 0.0;
        double track = 0.0;
        // The horizontal error estimate in metres; NaN when unknown.
        double eph = std::numeric_limits<double>::quiet_NaN();
    };

    struct State {
        FixState fix;
        // The reports of the current fix time, merged.
        EpochMerge epoch;
        char units = 0;
        // nullptr before the first known system: factors 0, labels empty.
        const UnitSystem* unitSystem = nullptr;
        // The MiniNav shows in place of the GPS and navigation windows.
        bool mnOn = false;
        int arrivalAlertSeconds = 0;
        float arrivalAlertHours = 0.0f;
        // The route document's route that is active: after activation only
        // its identity is used (documents lock their route by it, and it is
        // announced), never its contents, which its document may be editing
        // on another thread.
        RoutePtr activeRoute;
        // The engine's own copy of the active route, taken whole when the
        // route is activated or its document reports an edit, with the
        // engine's active index. Every pass reads this copy alone.
        RoutePtr followedRoute;
        // The next waypoint is held too, so an edit of the active route can
        // never leave it dangling.
        WaypointPtr prevWaypoint;
        WaypointPtr activeWaypoint;
        WaypointPtr nextWaypoint;
        // prevWaypoint is a copy of the position ("PPOS"), shown to the
        // user as "Position", not a waypoint of theirs.
        bool legFromPosition = false;
        // The active waypoint is one activated from a waypoint list while a
        // route is followed: the route goes on after it, but the leg is not
        // one of the route's and its title says so.
        bool detour = false;
        LegCache legCache;
        SequencingState sequencing;
        NavFix navFix;
        // The fix-status text last written into the showing display's box.
        std::string fixStatus;
        // The CDI scale chosen (a column of wpCDIScale, the middle one to
        // start, as the layout's initial choice) and the range of
        // wpCrossTrackCDI it gives in nautical miles: the choice's
        // half-width in the unit system's distance unit.
        int cdiColumn = 1;
        double cdiMinimum = -1.0;
        double cdiMaximum = 1.0;
    };

    State& state() { return m_state; }
    const State& state() const { return m_state; }

    // A report from the link, with the navigation pass it brings; now is
    // when it arrived.
    Output takeReport(
        const GPSRecord& record, std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now());
    // Called at least once a second while the link is open or being sought:
    // a receiver that held a position and has been silent for longer than
    // the stale bound goes off line.
    Output checkStale(std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now());
    // The link to gpsd was given up: the receiver is off line at once.
    Output linkLost();
    // The longest silence before a receiver counts as lost: at least 5
    // seconds and three of its usual intervals.
    std::chrono::steady_clock::duration staleBound() const;
    Output updateNavData();
    Output clearFixFields();
    Output clearSats();
    Output clearAllWpFields();

    // Activation. An index outside the route, or auto-location on fewer
    // than two waypoints, is refused with a log line and changes nothing.
    Output activateRoute(const RoutePtr& route, int index);
    Output autoLocateOnRoute(const RoutePtr& route);
    // A route document's activation: at its active index, or at the nearest
    // leg when the index is one past the end; then the pass.
    Output routeActivated(const RoutePtr& route);
    // Straight to a waypoint from the position; then the pass.
    Output waypointActivated(const WaypointPtr& waypoint);
    // The active route's document changed it (its name, its waypoints): the
    // engine takes a new copy whole and goes on at the same waypoint. Any
    // other route is none of its business.
    Output routeEdited(const RoutePtr& route);

    // Display modes, units and the arrival lead time.
    Output showNav();
    Output toggleMiniNav(bool floatMiniNav);
    Output changeCDIScale(int column);
    Output setMiniNavFloating(bool floating);
    Output changeUnits(char code);
    void setArrivalAlertSeconds(int seconds);

    // The question to ask before the window closes; none when it may close
    // without one. Once answered "Yes", activateRoute(nullptr, 0).
    static std::optional<CloseQuestion> closeQuestion(std::string_view window);

private:
    // The fields one report writes: the GPS window's or the MiniNav's.
    struct FieldSet;
    // The quantities of one pass from the position to the active waypoint.
    struct Solution {
        float bearing = 0.0f;
        float distance = 0.0f;
        float vmg = 0.0f;
        // Hours; only when vmg > 0.
        float timeEnRoute = 0.0f;
    };

    // Runs one call with its output open for the steps to write into.
    template <typename Step> Output run(Step step);
    DisplayBatch& batch() { return m_out->display; }
    void raise(Event event) { m_out->events.push_back(std::move(event)); }
    double dstconv() const;
    double spdconv() const;

    // NavEngineFix.cpp
    const FieldSet& currentSet() const;
    void clearFixFieldsStep(const FieldSet& set);
    void clearSatsStep();
    void showOffline(const FieldSet& set);
    void showModeState(const FieldSet& set, int mode);
    void takeFix(const FieldSet& set, const GPSRecord& record);
    void showErrorVisibility(const GPSRecord& record);
    void takeFixTime(const FieldSet& set, const GPSRecord& record);
    void showSats(const GPSRecord& record);
    bool noteFreshness(const GPSRecord& merged, std::chrono::steady_clock::time_point now);
    void announceMode(int mode);
    void loseReceiver(const std::string& why);

    // NavEngineSolution.cpp
    void navigationPass();
    void updateFullNav(const WaypointPtr& cp);
    void updateMiniNav(const WaypointPtr& cp);
    void writeLegTitle();
    // The start of the leg as shown: "Position" for one from the position.
    std::string legStartName() const;
    void writeCurrentLeg(const WaypointPtr& cp, bool usable);
    void writeTimes(std::string_view eteField, const Solution& solution);
    void writeRouteTotals(const Solution& solution);
    void writeArrival();
    float routeRemaining();
    void nextLegStep();
    void currentLegStep();
    Solution solve(const Waypoint& cp) const;
    bool usableFix(const WaypointPtr& cp) const;

    // NavEngineSequencing.cpp
    bool decides(const Solution& solution) const;
    void sequence(const Waypoint& cp, const Solution& solution);
    double arrivalDistance() const;
    void arrivalAlertStep(const Solution& solution);
    void passageCheck(const Waypoint& cp, const Solution& solution);
    bool passedAtSharpTurn(const Waypoint& cp, const Solution& solution) const;
    void destinationArrivalCheck(const Waypoint& cp, const Solution& solution);
    bool passedLastLegAbeam(const Waypoint& cp, const Solution& solution) const;
    void stationPassage();

    // NavEngineActivation.cpp
    void activate(const RoutePtr& route, int index);
    void follow(int index);
    void startLegAtFirstPosition(const WaypointPtr& cp);
    void autoLocate(const RoutePtr& route);
    void resetLegState(const WaypointPtr& newActive);
    void clearAllWpFieldsStep();
    static int nearestLeg(const Waypoint& cp, const Route& route);
    static int firstDistinctAfter(const Route& route, int index);
    static int lastDistinctBefore(const Route& route, int index);

    void startLegAtPosition();

    // NavEngineModes.cpp
    void showNavStep();
    // The chosen CDI scale's range in the current unit system.
    void applyCdiScale();

    State m_state;
    Output* m_out = nullptr;
};

template <typename Step> NavEngine::Output NavEngine::run(Step step)
{
    Output out;
    m_out = &out;
    step();
    m_out = nullptr;
    return out;
}

} // namespace navora
