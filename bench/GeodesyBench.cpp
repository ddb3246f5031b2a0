// Per-call cost of the three great-circle computations that every navigation
// pass makes several times.
#include "model/Waypoint.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using navora::Waypoint;
using navora::WaypointPtr;

// A spread of realistic pairs so that the ellipsoid iteration is not always
// handed the same easy case.
std::vector<WaypointPtr> spreadOfPoints()
{
    std::vector<WaypointPtr> points;
    for (int i = 0; i < 64; ++i) {
        const float lat = -60.0f + static_cast<float>(i * 37 % 120);
        const float lon = -170.0f + static_cast<float>(i * 53 % 340);
        points.push_back(Waypoint::create("", "", lat, lon, 0.0f));
    }
    return points;
}

void distanceFromPoint(benchmark::State& state)
{
    const auto points = spreadOfPoints();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(points[i % 64]->distanceFromPoint(*points[(i + 7) % 64]));
        ++i;
    }
}
BENCHMARK(distanceFromPoint);

void distanceFromPointShortLeg(benchmark::State& state)
{
    const auto here = Waypoint::create("", "", 50.0f, -1.0f, 0.0f);
    const auto there = Waypoint::create("", "", 50.01f, -0.99f, 0.0f);
    for (auto _ : state)
        benchmark::DoNotOptimize(here->distanceFromPoint(*there));
}
BENCHMARK(distanceFromPointShortLeg);

void bearingFromPoint(benchmark::State& state)
{
    const auto points = spreadOfPoints();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(points[i % 64]->bearingFromPoint(*points[(i + 7) % 64]));
        ++i;
    }
}
BENCHMARK(bearingFromPoint);

void nmOffsetFromGCFromPoint(benchmark::State& state)
{
    const auto points = spreadOfPoints();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            points[i % 64]->nmOffsetFromGCFromPoint(*points[(i + 7) % 64], *points[(i + 13) % 64]));
        ++i;
    }
}
BENCHMARK(nmOffsetFromGCFromPoint);

} // namespace

BENCHMARK_MAIN();
