// Cost of the navigation engine: one report with a long route active (fix
// ingestion plus the full pass), and auto-location on a very long route.
#include "bench/RecordLink.h"
#include "core/Log.h"
#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/Settings.h"
#include "gps/Display.h"
#include "gps/GPSController.h"

#include <benchmark/benchmark.h>

namespace {

using namespace navora;

// A link that never connects ; its record is the report.
class FixedLink : public bench::RecordLink {
public:
    FixedLink()
    {
        data.online = 1714564812.0;
        data.fix = {3, 1714564812.7, -1.0, -150.0, 10.0, 17.1, 27.6, 0.0, 5.1, 0.1};
    }
};

class DroppingDisplay : public Display {
public:
    void apply(DisplayBatch) override { }
};

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

struct Bench {
    Bench()
        : previous(Log::setSink([](std::string_view) {}))
    {
        settings.registerDefaults();
        auto owned = std::make_unique<FixedLink>();
        link = owned.get();
        controller = std::make_unique<GPSController>(GPSController::Services{
            settings, center, std::make_shared<DroppingDisplay>(), std::move(owned), {}, GPSTimings{}});
        controller->windowDidLoad();
    }
    ~Bench()
    {
        controller.reset();
        Log::setSink(previous);
    }
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    Log::Sink previous;
    MemorySettingsStore store;
    Settings settings{store};
    NotificationCenter center;
    FixedLink* link = nullptr;
    std::unique_ptr<GPSController> controller;
};

// Closing on the active waypoint at the middle of a 1,000-leg route: the
// pass computes times and the route totals over the rest of the route.
void reportWithRouteActive(benchmark::State& state)
{
    Bench bench;
    RoutePtr route = longRoute(1001);
    bench.controller->activateRoute(route, 500);
    const NotificationObject mode(3.0);
    for (auto _ : state) {
        bench.link->data.fix.time += 1.0;
        bench.controller->updateGPS(mode);
    }
    benchmark::DoNotOptimize(bench.controller->legCache());
}

void autoLocateOnLongRoute(benchmark::State& state)
{
    Bench bench;
    RoutePtr route = longRoute(100000);
    bench.link->data.fix.latitude = -39.96;
    bench.link->data.fix.longitude = -148.8;
    bench.controller->updateGPS(NotificationObject(3.0));
    for (auto _ : state)
        bench.controller->autoLocateOnRoute(route);
    benchmark::DoNotOptimize(route->activeIndex());
}

} // namespace

BENCHMARK(reportWithRouteActive);
BENCHMARK(autoLocateOnLongRoute)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
