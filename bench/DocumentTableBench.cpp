// The waypoint table of a list of a hundred thousand waypoints: what the
// window does when it opens (reload), sorts by a column, draws a screenful
// and completes an import (sort by name, remove duplicates), and the
// nearest list's ordering.
#include "documents/WaypointDocument.h"
#include "documents/WaypointTableModel.h"
#include "io/WaypointListOrder.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

navora::WaypointList makeList(size_t count)
{
    navora::WaypointList list;
    list.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "WP%06zu", (i * 7919) % count);
        list.push_back(navora::Waypoint::create(name, "comment", static_cast<float>(i % 1800) / 20.0f - 45.0f,
            static_cast<float>(i % 3600) / 20.0f - 90.0f, static_cast<float>(i % 500)));
    }
    return list;
}

void BM_ReloadTable(benchmark::State& state)
{
    const navora::WaypointList list = makeList(static_cast<size_t>(state.range(0)));
    navora::WaypointTableModel model([&list] { return &list; });
    for (auto _ : state)
        model.reload();
}
BENCHMARK(BM_ReloadTable)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SortTableByColumn(benchmark::State& state)
{
    const navora::WaypointList list = makeList(static_cast<size_t>(state.range(0)));
    navora::WaypointTableModel model([&list] { return &list; });
    model.reload();
    int column = 0;
    for (auto _ : state) {
        model.sort(column, Qt::AscendingOrder); // name, comment, latitude, ...
        column = (column + 1) % 5;
    }
}
BENCHMARK(BM_SortTableByColumn)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_DrawScreenful(benchmark::State& state)
{
    const navora::WaypointList list = makeList(100000);
    navora::WaypointTableModel model([&list] { return &list; });
    model.reload();
    model.sort(2, Qt::AscendingOrder);
    for (auto _ : state) {
        for (int row = 50000; row < 50040; ++row) {
            for (int column = 0; column < 5; ++column)
                benchmark::DoNotOptimize(model.data(model.index(row, column)));
        }
    }
}
BENCHMARK(BM_DrawScreenful)->Unit(benchmark::kMicrosecond);

void BM_ImportCompletion(benchmark::State& state)
{
    const navora::WaypointList list = makeList(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        navora::WaypointList copy = list;
        state.ResumeTiming();
        benchmark::DoNotOptimize(navora::WaypointListOrder::sortByNameAndStripDuplicates(copy));
    }
}
BENCHMARK(BM_ImportCompletion)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_NearestOrder(benchmark::State& state)
{
    const navora::WaypointList list = makeList(static_cast<size_t>(state.range(0)));
    const auto origin = navora::Waypoint::create("PPOS", "", 10.0f, 20.0f, 0.0f);
    for (auto _ : state)
        benchmark::DoNotOptimize(navora::WaypointDocument::sortedByDistance(list, *origin));
}
BENCHMARK(BM_NearestOrder)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
