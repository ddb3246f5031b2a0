#include "windows/WindowHarness.h"

#include "core/NotificationObject.h"
#include "nav/EngineHarness.h"
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
    // The engine tests' fix, with the error estimates and climb the window shows.
    const GPSRecord built = EngineHarness::fix(lat, lon, speed, track, secondsAfterStart);
    GPSRecord& r = link->data;
    r.online = built.online;
    r.fix = built.fix;
    r.fix.altitude = 120.0;
    r.fix.eph = 8.5;
    r.fix.epv = 14.0;
    r.fix.climb = 0.4;
    controller().updateGPS(NotificationObject(3.0));
}

} // namespace navora::test
