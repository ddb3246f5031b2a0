#pragma once

#include "gps/ControllerHarness.h"
#include "gps/StubGPSLink.h"

#include <chrono>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace navora::test {

// A GPS controller fed report by report through a stub link, with a
// recording display and alert dispatcher. Positions are in degrees; near
// the equator a nautical mile is about 1/60 degree.
class NavHarness {
public:
    static constexpr double startTime = 1714564800.0;

    NavHarness();
    ~NavHarness();

    GPSController& controller() { return *harness.controller; }
    DisplayState shown() const { return harness.display->state(); }

    // One report with a fix at (lat, lon) moving at speed m/s on track.
    void report(double lat, double lon, double speed, double track, double secondsAfterStart, int mode = 3);
    // A report without a fix (mode 1) or off line.
    void reportNoFix(double secondsAfterStart);

    static RoutePtr route(const std::string& name, std::initializer_list<std::pair<double, double>> points);

    // Routes that arrive with "TRVRouteIsActive" (an empty pointer for none).
    std::vector<RoutePtr> routesAnnounced;

    ControllerHarness harness;
    StubGPSLink* link = nullptr;
};

} // namespace navora::test
