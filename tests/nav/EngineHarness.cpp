#include "nav/EngineHarness.h"

#include "nav/LetteredRoute.h"

namespace navora::test {

EngineHarness::EngineHarness()
{
    keep(engine.changeUnits('n'));
    engine.setArrivalAlertSeconds(15);
    clear();
}

void EngineHarness::report(double lat, double lon, double speed, double track, double secondsAfterStart, int mode)
{
    GPSRecord r;
    r.online = startTime;
    r.fix.mode = mode;
    r.fix.time = startTime + secondsAfterStart;
    r.fix.latitude = lat;
    r.fix.longitude = lon;
    r.fix.altitude = 10.0;
    r.fix.speed = speed;
    r.fix.track = track;
    take(r);
}

void EngineHarness::reportNoFix(double secondsAfterStart)
{
    GPSRecord r;
    r.online = startTime + secondsAfterStart;
    r.fix.mode = 1;
    take(r);
}

void EngineHarness::keep(NavEngine::Output output)
{
    shown.apply(output.display);
    batches.push_back(std::move(output.display));
    for (NavEngine::Event& event : output.events)
        events.push_back(std::move(event));
}

void EngineHarness::clear()
{
    shown = DisplayState{};
    batches.clear();
    events.clear();
}

std::vector<std::string> EngineHarness::alertKeys() const
{
    std::vector<std::string> keys;
    for (const NavEngine::Event& event : events)
        if (const auto* alert = std::get_if<NavEngine::Alert>(&event))
            keys.push_back(alert->key);
    return keys;
}

std::vector<NavEngine::Alert> EngineHarness::navigationAlerts() const
{
    std::vector<NavEngine::Alert> alerts;
    for (const NavEngine::Event& event : events) {
        const auto* alert = std::get_if<NavEngine::Alert>(&event);
        if (alert
            && (alert->key == "WaypointArrival" || alert->key == "WaypointPassage" || alert->key == "CourseReversal"
                || alert->key == "DestinationArrival"))
            alerts.push_back(*alert);
    }
    return alerts;
}

size_t EngineHarness::count(const std::string& key) const
{
    size_t n = 0;
    for (const std::string& k : alertKeys())
        n += k == key ? 1u : 0u;
    return n;
}

int EngineHarness::beeps() const
{
    int n = 0;
    for (const NavEngine::Event& event : events)
        n += std::holds_alternative<NavEngine::ApproachBeep>(event) ? 1 : 0;
    return n;
}

int EngineHarness::positionChanges() const
{
    int n = 0;
    for (const NavEngine::Event& event : events)
        n += std::holds_alternative<NavEngine::PositionChanged>(event) ? 1 : 0;
    return n;
}

std::vector<RoutePtr> EngineHarness::routesAnnounced() const
{
    std::vector<RoutePtr> routes;
    for (const NavEngine::Event& event : events)
        if (const auto* active = std::get_if<NavEngine::RouteActive>(&event))
            routes.push_back(active->route);
    return routes;
}

RoutePtr EngineHarness::route(const std::string& name, std::initializer_list<std::pair<double, double>> points)
{
    return letteredRoute(name, points);
}

std::chrono::sys_seconds EngineHarness::at(double secondsAfterStart)
{
    return std::chrono::sys_seconds(std::chrono::seconds(static_cast<long long>(startTime + secondsAfterStart)));
}

} // namespace navora::test
