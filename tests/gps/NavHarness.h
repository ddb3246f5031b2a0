#pragma once

#include "gps/ControllerHarness.h"
#include "gps/StubGPSLink.h"
#include "nav/EngineHarness.h"

#include "core/NotificationNames.h"

#include <memory>
#include <vector>

namespace navora::test {

// A GPS controller fed report by report through a stub link, on the test's
// own thread. Positions are in degrees; a nautical mile is about 1/60 degree.
class NavHarness {
public:
    NavHarness()
    {
        auto stub = std::make_unique<StubGPSLink>();
        link = stub.get();
        harness.make(std::move(stub), ControllerHarness::fastTimings(), false);
        harness.center.addObserver(this, TRVRouteIsActive,
            [this](const NotificationObject& object) { routesAnnounced.push_back(object.route()); });
        controller().windowDidLoad();
    }
    ~NavHarness()
    {
        harness.center.removeObserver(this);
        harness.destroy();
    }

    GPSController& controller() { return *harness.controller; }
    DisplayState shown() const { return harness.display->state(); }

    // One report with a fix at (lat, lon) moving at speed m/s on track; the
    // rest of the record stays as the test set it.
    void report(double lat, double lon, double speed, double track, double secondsAfterStart, int mode = 3)
    {
        const GPSRecord report = EngineHarness::fix(lat, lon, speed, track, secondsAfterStart, mode);
        link->data.online = report.online;
        link->data.fix = report.fix;
        controller().updateGPS(NotificationObject(static_cast<double>(mode)));
    }
    // A report on line without a fix (mode 1).
    void reportNoFix(double secondsAfterStart)
    {
        link->data.online = EngineHarness::startTime + secondsAfterStart;
        link->data.fix = GPSRecord::Fix{};
        link->data.fix.mode = 1;
        controller().updateGPS(NotificationObject(1.0));
    }

    static RoutePtr route(const std::string& name, std::initializer_list<std::pair<double, double>> points)
    {
        return letteredRoute(name, points);
    }

    // Routes that arrive with "TRVRouteIsActive" (an empty pointer for none).
    std::vector<RoutePtr> routesAnnounced;
    ControllerHarness harness;
    StubGPSLink* link = nullptr;
};

} // namespace navora::test
