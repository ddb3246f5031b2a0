// Cost of showing one report in the GPS windows: the batch of a fix with a
// route active and ten satellites, applied to the real windows (offscreen)
// on the user-interface thread, with and without the repaint it causes,
// against the recording display the tests use.
#include "core/Log.h"
#include "gps/RecordingDisplay.h"
#include "gps/windows/GPSWindows.h"
#include "gps/windows/QtDisplay.h"
#include "nav/NavEngine.h"

#include "gps/windows/PlotWidget.h"

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <benchmark/benchmark.h>

namespace {

using namespace navora;

constexpr double nm = 1.0 / 60.0;

// The batch that one report writes while a route is navigated.
DisplayBatch reportBatch()
{
    const Log::Sink previous = Log::setSink([](std::string_view) {});
    NavEngine engine;
    engine.changeUnits('n');
    RoutePtr route = Route::create();
    route->setRouteName("Harbour run");
    route->appendWaypoint(Waypoint::create("Marina", "", 0.0f, 0.0f, 0.0f));
    route->appendWaypoint(Waypoint::create("Red buoy", "", static_cast<float>(10 * nm), 0.0f, 0.0f));
    route->appendWaypoint(Waypoint::create("Lighthouse", "", static_cast<float>(20 * nm), 0.1f, 0.0f));
    GPSRecord record;
    record.online = 1714564812.0;
    record.fix = {3, 1714564812.7, 5 * nm, 0.3 * nm, 10.0, 8.5, 14.0, 355.0, 3.2, 0.1};
    record.satellites = 10;
    for (int i = 0; i < 10; ++i)
        record.channels[static_cast<size_t>(i)] = {3 * i + 1, 20 + i, i % 3 ? 1 : 0};
    engine.takeReport(record);
    engine.activateRoute(route, 1);
    DisplayBatch batch = engine.takeReport(record).display;
    Log::setSink(previous);
    return batch;
}

void BM_ApplyToRecordingDisplay(benchmark::State& state)
{
    const DisplayBatch batch = reportBatch();
    RecordingDisplay display(false);
    for (auto _ : state)
        display.apply(batch);
    state.counters["writes"] = static_cast<double>(batch.size());
}
BENCHMARK(BM_ApplyToRecordingDisplay);

// The windows shown, so the widgets do what they would for a user.
void applyToWindows(benchmark::State& state, bool repaint)
{
    const DisplayBatch batch = reportBatch();
    GPSWindows windows;
    for (QWidget* window : windows.all())
        window->show();
    QtDisplay display(windows.all());
    QCoreApplication::processEvents();
    int sequence = 0;
    for (auto _ : state) {
        // A new time each round, as each report brings.
        DisplayBatch round = batch;
        round.setText("fixTime", std::to_string(++sequence));
        display.apply(std::move(round));
        if (repaint)
            QCoreApplication::processEvents();
    }
    state.counters["writes"] = static_cast<double>(batch.size());
}

void BM_ApplyToWindows(benchmark::State& state)
{
    applyToWindows(state, false);
}
BENCHMARK(BM_ApplyToWindows);

void BM_ApplyToWindowsAndRepaint(benchmark::State& state)
{
    applyToWindows(state, true);
}
BENCHMARK(BM_ApplyToWindowsAndRepaint);

// The plot after one report: a 1,000-waypoint route and a 10,000-point
// track drawn whole into a 800 x 600 picture.
void BM_PlotRepaint(benchmark::State& state)
{
    navora::PlotScene scene;
    for (int i = 0; i < 1000; ++i)
        scene.route.push_back(
            {47.0 + (i % 100) * 0.01, 9.0 + (i / 100) * 0.05 + (i % 2) * 0.002, "W" + std::to_string(i)});
    scene.activeIndex = 500;
    for (int i = 0; i < 10000; ++i)
        scene.track.push_back({1.7e9 + i, 47.0 + (i % 1000) * 0.001, 9.0 + (i / 1000) * 0.05, 0.0, 5.0});
    scene.hasPosition = true;
    scene.latitude = 47.5;
    scene.longitude = 9.25;
    scene.course = 45.0;
    navora::PlotWidget plot;
    plot.resize(800, 600);
    plot.setScene(scene);
    QImage picture(plot.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        scene.latitude += 1e-6;
        plot.setScene(scene);
        plot.render(&picture);
    }
}
BENCHMARK(BM_PlotRepaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
