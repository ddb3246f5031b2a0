#pragma once

#include "nav/DisplayState.h"
#include "nav/NavEngine.h"

#include "model/Route.h"
#include "model/Waypoint.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace navora::test {

// A route of waypoints named "A", "B", ... (comments "near A", ...) at the
// given latitude and longitude pairs.
inline RoutePtr letteredRoute(const std::string& name, const std::vector<std::pair<double, double>>& points)
{
    RoutePtr route = Route::create();
    route->setRouteName(name);
    char label = 'A';
    for (const auto& [lat, lon] : points) {
        route->appendWaypoint(Waypoint::create(std::string(1, label), std::string("near ") + label,
            static_cast<float>(lat), static_cast<float>(lon), 0.0f));
        ++label;
    }
    return route;
}

// A navigation engine with what its calls gave back: the display state the
// windows would show, the batches and the events. Nautical units and a lead
// time of 15 seconds to start, as the settings' defaults. Positions are in
// degrees; near the equator a nautical mile is 1/60 degree.
struct EngineHarness {
    static constexpr double startTime = 1714564800.0;

    EngineHarness()
    {
        keep(engine.changeUnits('n'));
        engine.setArrivalAlertSeconds(15);
        clear();
    }

    // A report on line with a fix at (lat, lon), 10 m up, moving at speed m/s
    // on track, some seconds after the start.
    static GPSRecord fix(double lat, double lon, double speed, double track, double seconds, int mode = 3)
    {
        GPSRecord r;
        r.online = startTime;
        r.fix.mode = mode;
        r.fix.time = startTime + seconds;
        r.fix.latitude = lat;
        r.fix.longitude = lon;
        r.fix.altitude = 10.0;
        r.fix.speed = speed;
        r.fix.track = track;
        return r;
    }
    void report(double lat, double lon, double speed, double track, double seconds, int mode = 3)
    {
        take(fix(lat, lon, speed, track, seconds, mode));
    }
    void reportNoFix(double seconds)
    {
        GPSRecord r;
        r.online = startTime + seconds;
        r.fix.mode = 1;
        take(r);
    }
    void take(const GPSRecord& record) { keep(engine.takeReport(record)); }
    void keep(NavEngine::Output output)
    {
        shown.apply(output.display);
        batches.push_back(std::move(output.display));
        for (NavEngine::Event& event : output.events)
            events.push_back(std::move(event));
    }
    void clear()
    {
        shown = DisplayState{};
        batches.clear();
        events.clear();
    }
    NavEngine::State& state() { return engine.state(); }
    // The number shown in a field, NaN for none.
    double number(std::string_view field) const { return shown.number(field).value_or(std::nan("")); }

    template <typename E> std::vector<E> all() const
    {
        std::vector<E> found;
        for (const NavEngine::Event& event : events)
            if (const auto* e = std::get_if<E>(&event))
                found.push_back(*e);
        return found;
    }
    std::vector<std::string> alertKeys() const
    {
        std::vector<std::string> keys;
        for (const NavEngine::Alert& alert : all<NavEngine::Alert>())
            keys.push_back(alert.key);
        return keys;
    }
    // WaypointArrival, WaypointPassage, CourseReversal, DestinationArrival.
    std::vector<NavEngine::Alert> navigationAlerts() const
    {
        std::vector<NavEngine::Alert> alerts = all<NavEngine::Alert>();
        std::erase_if(alerts, [](const NavEngine::Alert& a) {
            return a.key != "WaypointArrival" && a.key != "WaypointPassage" && a.key != "CourseReversal"
                && a.key != "DestinationArrival";
        });
        return alerts;
    }
    size_t count(const std::string& key) const
    {
        const std::vector<std::string> keys = alertKeys();
        return static_cast<size_t>(std::count(keys.begin(), keys.end(), key));
    }
    size_t beeps() const { return all<NavEngine::ApproachBeep>().size(); }
    // Routes made active (an empty pointer for none), in order.
    std::vector<RoutePtr> routesAnnounced() const
    {
        std::vector<RoutePtr> routes;
        for (const NavEngine::RouteActive& active : all<NavEngine::RouteActive>())
            routes.push_back(active.route);
        return routes;
    }
    // A lettered route at miles north and east of (0, 0).
    static RoutePtr miles(std::vector<std::pair<double, double>> points, const std::string& name = "R")
    {
        for (auto& [north, east] : points)
            north /= 60.0, east /= 60.0;
        return letteredRoute(name, points);
    }
    static std::chrono::sys_seconds at(double seconds)
    {
        return std::chrono::sys_seconds(std::chrono::seconds(static_cast<long long>(startTime + seconds)));
    }

    NavEngine engine;
    DisplayState shown;
    std::vector<DisplayBatch> batches;
    std::vector<NavEngine::Event> events;
};

} // namespace navora::test
