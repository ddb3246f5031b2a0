// Saving and loading a large waypoint list through a real file, fsync
// included: both should stay well under 100 ms for 100,000 waypoints.
#include "model/DocumentArchive.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using navora::DocumentArchive;
using navora::Waypoint;
using navora::WaypointList;

constexpr size_t kWaypoints = 100'000;

WaypointList makeWaypoints()
{
    WaypointList list;
    list.reserve(kWaypoints);
    for (size_t i = 0; i < kWaypoints; ++i) {
        const auto step = static_cast<float>(i % 1000);
        list.push_back(Waypoint::create("WP" + std::to_string(i), "generated for the benchmark", 45.0f + step / 1000.0f,
            7.0f - step / 500.0f, step));
    }
    return list;
}

// One folder per benchmark, removed afterwards.
class BenchFolder {
public:
    BenchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "navora-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~BenchFolder()
    {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    std::string file() const { return m_path + "/waypoints.nvw"; }

private:
    std::string m_path;
};

void saveWaypointList(benchmark::State& state)
{
    const WaypointList list = makeWaypoints();
    const BenchFolder folder;
    std::string error;
    for (auto _ : state) {
        if (!DocumentArchive::saveWaypointList(folder.file(), list, error))
            state.SkipWithError(error.c_str());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(folder.file())));
}

void loadWaypointList(benchmark::State& state)
{
    const BenchFolder folder;
    std::string error;
    if (!DocumentArchive::saveWaypointList(folder.file(), makeWaypoints(), error))
        state.SkipWithError(error.c_str());
    for (auto _ : state) {
        auto list = DocumentArchive::loadWaypointList(folder.file(), error);
        if (!list || list->size() != kWaypoints)
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(list);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(folder.file())));
}

} // namespace

BENCHMARK(saveWaypointList)->Unit(benchmark::kMillisecond);
BENCHMARK(loadWaypointList)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
