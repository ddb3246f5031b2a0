// Import of 100,000 waypoints from GPX and export back to GPX, and of 100,000
// placemarks from KML back to KML, side by side in one run with GPSBabel
// converting the same file the same way:
//   gpsbabel -i gpx -f in.gpx -o gpx -F out.gpx
//   gpsbabel -i kml -f in.kml -o kml -F out.kml
// Navora's time is the benchmark's time; GPSBabel's and the ratio (GPSBabel
// over Navora: above 1 means Navora is faster) are counters, as is the
// process's peak memory after Navora's runs. Log lines go where standard
// error goes, as in the program; run with 2>/dev/null to keep them off the
// terminal.
#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/Settings.h"
#include "io/ExchangeDocument.h"
#include "io/ExportController.h"
#include "io/ImportController.h"
#include "io/MemoryDocumentHost.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using namespace navora;

constexpr int kPoints = 100'000;

// One folder for the run, removed at the end.
class BenchFolder {
public:
    BenchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "navora-io-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~BenchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    std::string path(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

BenchFolder& folder()
{
    static BenchFolder benchFolder;
    return benchFolder;
}

struct Point {
    std::string name;
    double latitude;
    double longitude;
    double elevation;
};

// Distinct names in shuffled order, so that the waypoint list has sorting to
// do and nothing to drop.
std::vector<Point> points()
{
    std::mt19937 random(2024);
    std::uniform_real_distribution<double> latitude(-80.0, 80.0);
    std::uniform_real_distribution<double> longitude(-180.0, 180.0);
    std::uniform_real_distribution<double> elevation(0.0, 3000.0);
    std::vector<Point> list;
    for (int i = 0; i < kPoints; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "WP%06d", i);
        list.push_back({name, latitude(random), longitude(random), elevation(random)});
    }
    std::shuffle(list.begin(), list.end(), random);
    return list;
}

const std::string& gpxInput()
{
    static const std::string path = [] {
        const std::string file = folder().path("in.gpx");
        FILE* out = std::fopen(file.c_str(), "w");
        std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"bench\" "
                   "xmlns=\"http://www.topografix.com/GPX/1/1\">\n",
            out);
        for (const Point& p : points())
            std::fprintf(out,
                "  <wpt lat=\"%f\" lon=\"%f\">\n    <ele>%f</ele>\n    <name>%s</name>\n"
                "    <cmt>comment for %s</cmt>\n  </wpt>\n",
                p.latitude, p.longitude, p.elevation, p.name.c_str(), p.name.c_str());
        std::fputs("</gpx>\n", out);
        std::fclose(out);
        return file;
    }();
    return path;
}

const std::string& kmlInput()
{
    static const std::string path = [] {
        const std::string file = folder().path("in.kml");
        FILE* out = std::fopen(file.c_str(), "w");
        std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
                   "<Document>\n",
            out);
        for (const Point& p : points())
            std::fprintf(out,
                "  <Placemark>\n    <name>%s</name>\n    <description>comment for %s</description>\n"
                "    <Point><coordinates>%f,%f,%f</coordinates></Point>\n  </Placemark>\n",
                p.name.c_str(), p.name.c_str(), p.longitude, p.latitude, p.elevation);
        std::fputs("</Document>\n</kml>\n", out);
        std::fclose(out);
        return file;
    }();
    return path;
}

double seconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

double peakMegabytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Navora: the desktop program's import, then its export, through files.
void navoraConvert(bool kml, const std::string& input, const std::string& output)
{
    MemorySettingsStore store;
    Settings settings(store);
    settings.registerDefaults();
    NotificationCenter center;
    MemoryDocumentHost host;
    ImportController importer(
        host, [&](std::string_view) { return std::optional<std::string>(input); },
        [] { return ImportChoice::Waypoints; });
    ExportController exporter(
        host, settings, center, [&](std::string_view, std::string_view) { return std::optional<std::string>(output); });
    if (kml) {
        importer.importKML();
        host.setKeyDocument(host.documents().front());
        exporter.exportKML();
    } else {
        importer.importGPX();
        exporter.exportAllToGPX();
    }
}

void sideBySide(benchmark::State& state, bool kml)
{
    const std::string& input = kml ? kmlInput() : gpxInput();
    const std::string format = kml ? "kml" : "gpx";
    const std::string ours = folder().path("navora-out." + format);
    const std::string theirs = folder().path("gpsbabel-out." + format);
    const std::string command
        = "gpsbabel -i " + format + " -f " + input + " -o " + format + " -F " + theirs + " >/dev/null 2>&1";
    double navoraTotal = 0.0;
    double gpsbabelTotal = 0.0;
    double peak = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        navoraConvert(kml, input, ours);
        const double navora = seconds(std::chrono::steady_clock::now() - start);
        peak = std::max(peak, peakMegabytes());

        const auto babelStart = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("gpsbabel failed (is it installed?)");
            break;
        }
        const double gpsbabel = seconds(std::chrono::steady_clock::now() - babelStart);

        state.SetIterationTime(navora);
        navoraTotal += navora;
        gpsbabelTotal += gpsbabel;
    }
    const auto runs = static_cast<double>(state.iterations());
    if (runs > 0 && navoraTotal > 0.0) {
        state.counters["navora_ms"] = 1000.0 * navoraTotal / runs;
        state.counters["gpsbabel_ms"] = 1000.0 * gpsbabelTotal / runs;
        state.counters["ratio"] = gpsbabelTotal / navoraTotal;
        state.counters["peak_MB"] = peak;
    }
}

void GpxToGpx100k(benchmark::State& state)
{
    sideBySide(state, false);
}

void KmlToKml100k(benchmark::State& state)
{
    sideBySide(state, true);
}

BENCHMARK(GpxToGpx100k)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(KmlToKml100k)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
