#include "windows/WindowHarness.h"

#include "core/NotificationObject.h"
#include "support/QtApplication.h"

namespace navora::test {

WindowHarness::WindowHarness(std::chrono::milliseconds alertLineHold)
{
    ensureWidgetApplication();
    settings.registerDefaults();
    auto stub = std::make_unique<StubGPSLink>();
    link = stub.get();
    // The reports come from the test alone: no GPS thread to race them.
    GPSWindowController::Services services{settings, center, std::move(stub), {}};
    services.connects = false;
    services.alertLineHold = alertLineHold;
    m_windows = std::make_unique<GPSWindowController>(std::move(services));
}

WindowHarness::~WindowHarness()
{
    m_windows.reset();
    processEvents();
}

QString WindowHarness::shown(std::string_view name) const
{
    const auto snapshot = m_windows->fieldSnapshot();
    const auto found = snapshot.find(std::string(name));
    return found == snapshot.end() ? QStringLiteral("<none>") : QString::fromStdString(found->second);
}

void WindowHarness::report(double lat, double lon, double speed, double track, double secondsAfterStart)
{
    constexpr double start = 1714564800.0;
    GPSRecord& r = link->data;
    r.online = start;
    r.fix = GPSRecord::Fix{};
    r.fix.mode = 3;
    r.fix.time = start + secondsAfterStart;
    r.fix.latitude = lat;
    r.fix.longitude = lon;
    r.fix.altitude = 120.0;
    r.fix.speed = speed;
    r.fix.track = track;
    r.fix.eph = 8.5;
    r.fix.epv = 14.0;
    r.fix.climb = 0.4;
    controller().updateGPS(NotificationObject(3.0));
}

} // namespace navora::test
