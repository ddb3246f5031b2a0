#include "gps/NavHarness.h"

#include "core/NotificationNames.h"
#include "nav/LetteredRoute.h"

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
    GPSRecord& r = link->data;
    r.online = startTime;
    r.fix = GPSRecord::Fix{};
    r.fix.mode = mode;
    r.fix.time = startTime + secondsAfterStart;
    r.fix.latitude = lat;
    r.fix.longitude = lon;
    r.fix.altitude = 10.0;
    r.fix.speed = speed;
    r.fix.track = track;
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
