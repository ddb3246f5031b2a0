#pragma once

#include "nav/DisplayState.h"
#include "nav/NavEngine.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace navora::test {

// A navigation engine with what its calls gave back: the display state the
// windows would show, the batches and the events. Nautical units and a lead
// time of 15 seconds to start, as the settings' defaults. Positions are in
// degrees; near the equator a nautical mile is about 1/60 degree.
class EngineHarness {
public:
    static constexpr double startTime = 1714564800.0;

    EngineHarness();

    // One report with a fix at (lat, lon) moving at speed m/s on track.
    void report(double lat, double lon, double speed, double track, double secondsAfterStart, int mode = 3);
    // A report without a fix (mode 1).
    void reportNoFix(double secondsAfterStart);
    // Any record, as the link would hand it over.
    void take(const GPSRecord& record) { keep(engine.takeReport(record)); }
    // Applies an output to the display state and keeps its events.
    void keep(NavEngine::Output output);
    // Forgets the display state, batches and events so far.
    void clear();

    NavEngine::State& state() { return engine.state(); }

    std::vector<std::string> alertKeys() const;
    // WaypointArrival, WaypointPassage, CourseReversal, DestinationArrival.
    std::vector<NavEngine::Alert> navigationAlerts() const;
    size_t count(const std::string& key) const;
    int beeps() const;
    int positionChanges() const;
    // Routes made active (an empty pointer for none), in order.
    std::vector<RoutePtr> routesAnnounced() const;

    static RoutePtr route(const std::string& name, std::initializer_list<std::pair<double, double>> points);
    static std::chrono::sys_seconds at(double secondsAfterStart);

    NavEngine engine;
    DisplayState shown;
    std::vector<DisplayBatch> batches;
    std::vector<NavEngine::Event> events;
};

} // namespace navora::test
