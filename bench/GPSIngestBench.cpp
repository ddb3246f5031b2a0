// Cost of taking one gpsd report in: record -> fix state, "PPOS" and the
// display batch, as the engine does it for every report, and the batch
// handed to the displays that are not windows.
#include "core/Log.h"
#include "gps/JsonLinesDisplay.h"
#include "gps/RecordingDisplay.h"
#include "nav/NavEngine.h"

#include <benchmark/benchmark.h>

namespace {

using namespace navora;

GPSRecord report()
{
    GPSRecord record;
    record.online = 1714564812.0;
    record.fix = {3, 1714564812.7, 52.5, 13.3, 120.5, 17.1, 27.6, 45.0, 5.1, 0.1};
    record.satellites = 12;
    for (int i = 0; i < 12; ++i)
        record.channels[static_cast<size_t>(i)] = {i * 2 + 1, 30 + i, i < 8 ? 1 : 0};
    return record;
}

// Each report's batch goes to the display, if there is one.
void ingest(benchmark::State& state, Display* display)
{
    const Log::Sink previous = Log::setSink([](std::string_view) {});
    NavEngine engine;
    engine.changeUnits('n');
    GPSRecord record = report();
    for (auto _ : state) {
        // A new second each time, as reports come.
        record.fix.time += 1.0;
        NavEngine::Output output = engine.takeReport(record);
        if (display)
            display->apply(std::move(output.display));
        else
            benchmark::DoNotOptimize(output);
    }
    benchmark::DoNotOptimize(engine.state().fix.lat);
    Log::setSink(previous);
}

// The logic alone: the batch is made and dropped.
void ingestAlone(benchmark::State& state)
{
    ingest(state, nullptr);
}

void ingestToRecordingDisplay(benchmark::State& state)
{
    RecordingDisplay display(false);
    ingest(state, &display);
}

void ingestToJsonLines(benchmark::State& state)
{
    size_t bytes = 0;
    JsonLinesDisplay display([&bytes](std::string_view line) { bytes += line.size(); });
    ingest(state, &display);
    state.counters["bytesPerReport"]
        = benchmark::Counter(static_cast<double>(bytes), benchmark::Counter::kAvgIterations);
}

} // namespace

BENCHMARK(ingestAlone);
BENCHMARK(ingestToRecordingDisplay);
BENCHMARK(ingestToJsonLines);

BENCHMARK_MAIN();
