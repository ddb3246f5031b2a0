// Cost of taking one gpsd report in: record -> fix state, "PPOS" and the
// display batch, as the GPS thread does it for every report.
#include "bench/RecordLink.h"
#include "core/Log.h"
#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/Settings.h"
#include "gps/GPSController.h"
#include "gps/JsonLinesDisplay.h"
#include "gps/RecordingDisplay.h"

#include <benchmark/benchmark.h>

namespace {

using namespace navora;

// A link that never connects ; its record is the report.
class FixedLink : public bench::RecordLink {
public:
    FixedLink()
    {
        data.online = 1714564812.0;
        data.fix = {3, 1714564812.7, 52.5, 13.3, 120.5, 17.1, 27.6, 45.0, 5.1, 0.1};
        data.satellites = 12;
        for (int i = 0; i < 12; ++i)
            data.channels[static_cast<size_t>(i)] = {i * 2 + 1, 30 + i, i < 8 ? 1 : 0};
    }
};

void ingest(benchmark::State& state, std::shared_ptr<Display> display)
{
    const Log::Sink previous = Log::setSink([](std::string_view) {});
    MemorySettingsStore store;
    Settings settings(store);
    settings.registerDefaults();
    NotificationCenter center;
    auto link = std::make_unique<FixedLink>();
    FixedLink& fixed = *link;
    {
        GPSController controller(
            GPSController::Services{settings, center, std::move(display), std::move(link), {}, GPSTimings{}});
        controller.windowDidLoad();
        const NotificationObject mode(3.0);
        for (auto _ : state) {
            // A new second each time, as reports come.
            fixed.data.fix.time += 1.0;
            controller.updateGPS(mode);
        }
        benchmark::DoNotOptimize(controller.lat());
    }
    Log::setSink(previous);
}

// The logic alone: the batch is made and dropped.
class DroppingDisplay : public Display {
public:
    void apply(DisplayBatch) override { }
};

void ingestAlone(benchmark::State& state)
{
    ingest(state, std::make_shared<DroppingDisplay>());
}

void ingestToRecordingDisplay(benchmark::State& state)
{
    ingest(state, std::make_shared<RecordingDisplay>(false));
}

void ingestToJsonLines(benchmark::State& state)
{
    size_t bytes = 0;
    ingest(state, std::make_shared<JsonLinesDisplay>([&bytes](std::string_view line) { bytes += line.size(); }));
    state.counters["bytesPerReport"]
        = benchmark::Counter(static_cast<double>(bytes), benchmark::Counter::kAvgIterations);
}

} // namespace

BENCHMARK(ingestAlone);
BENCHMARK(ingestToRecordingDisplay);
BENCHMARK(ingestToJsonLines);

BENCHMARK_MAIN();
