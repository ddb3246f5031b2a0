#include "gps/NavHarness.h"

#include "core/NotificationNames.h"
#include "nav/EngineHarness.h"

namespace navora::test {

NavHarness::NavHarness()
{
    auto stub = std::make_unique<StubGPSLink>();
    link = stub.get();
    harness.make(std::move(stub), ControllerHarness::fastTimings(), false);
    harness.center.addObserver(this, TRVRouteIsActive,
        [this](const NotificationObject& object) { routesAnnounced.push_back(object.route()); });
    controller().windowDidLoad();
}

NavHarness::~NavHarness()
{
    harness.center.removeObserver(this);
    harness.destroy();
}

void NavHarness::report(double lat, double lon, double speed, double track, double secondsAfterStart, int mode)
{
    // The fix alone: whatever else the test put in the record stays.
    const GPSRecord report = EngineHarness::fix(lat, lon, speed, track, secondsAfterStart, mode);
    link->data.online = report.online;
    link->data.fix = report.fix;
    controller().updateGPS(NotificationObject(static_cast<double>(mode)));
}

void NavHarness::reportNoFix(double secondsAfterStart)
{
    GPSRecord& r = link->data;
    r.online = startTime + secondsAfterStart;
    r.fix = GPSRecord::Fix{};
    r.fix.mode = 1;
    controller().updateGPS(NotificationObject(1.0));
}

RoutePtr NavHarness::route(const std::string& name, std::initializer_list<std::pair<double, double>> points)
{
    return letteredRoute(name, points);
}

} // namespace navora::test
