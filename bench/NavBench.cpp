// Cost of the navigation engine: one report with a long route active (fix
// ingestion plus the full pass), and auto-location on a very long route.
#include "core/Log.h"
#include "nav/NavEngine.h"

#include <benchmark/benchmark.h>

namespace {

using namespace navora;

// A route of legs of about five miles, in rows of a thousand waypoints.
RoutePtr longRoute(size_t waypoints)
{
    RoutePtr route = Route::create();
    route->setRouteName("Long");
    WaypointList list;
    list.reserve(waypoints);
    for (size_t i = 0; i < waypoints; ++i) {
        std::string name(1, 'W');
        name += std::to_string(i);
        list.push_back(Waypoint::create(std::move(name), "", static_cast<float>(i % 1000) * 0.08f - 40.0f,
            static_cast<float>(i / 1000) * 0.3f - 150.0f + static_cast<float>(i % 2) * 0.01f, 0.0f));
    }
    route->setRouteWaypoints(std::move(list));
    return route;
}

GPSRecord report(double latitude, double longitude)
{
    GPSRecord record;
    record.online = 1714564812.0;
    record.fix = {3, 1714564812.7, latitude, longitude, 10.0, 17.1, 27.6, 0.0, 5.1, 0.1};
    return record;
}

// Closing on the active waypoint at the middle of a 1,000-leg route: the
// pass computes times and the route totals over the rest of the route.
void reportWithRouteActive(benchmark::State& state)
{
    const Log::Sink previous = Log::setSink([](std::string_view) {});
    NavEngine engine;
    engine.changeUnits('n');
    RoutePtr route = longRoute(1001);
    engine.activateRoute(route, 500);
    GPSRecord record = report(-1.0, -150.0);
    for (auto _ : state) {
        record.fix.time += 1.0;
        benchmark::DoNotOptimize(engine.takeReport(record));
    }
    benchmark::DoNotOptimize(engine.state().legCache);
    Log::setSink(previous);
}

void autoLocateOnLongRoute(benchmark::State& state)
{
    const Log::Sink previous = Log::setSink([](std::string_view) {});
    NavEngine engine;
    RoutePtr route = longRoute(100000);
    engine.takeReport(report(-39.96, -148.8));
    for (auto _ : state)
        benchmark::DoNotOptimize(engine.autoLocateOnRoute(route));
    benchmark::DoNotOptimize(route->activeIndex());
    Log::setSink(previous);
}

} // namespace

BENCHMARK(reportWithRouteActive);
BENCHMARK(autoLocateOnLongRoute)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
