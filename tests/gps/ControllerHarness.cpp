#include "gps/ControllerHarness.h"

namespace navora::test {

ControllerHarness::ControllerHarness()
{
    settings.registerDefaults();
}

ControllerHarness::~ControllerHarness()
{
    destroy();
}

GPSTimings ControllerHarness::fastTimings()
{
    GPSTimings timings;
    timings.quietWait = std::chrono::milliseconds(400);
    timings.pause = std::chrono::milliseconds(100);
    timings.retryFirst = std::chrono::milliseconds(200);
    timings.retryMax = std::chrono::milliseconds(800);
    timings.idleTick = std::chrono::milliseconds(100);
    return timings;
}

GPSController& ControllerHarness::make(std::unique_ptr<GPSLink> link, GPSTimings timings, bool connects)
{
    auto alertDispatcher = alerts;
    controller = std::make_unique<GPSController>(GPSController::Services{
        settings, center, display, std::move(link), [alertDispatcher] { return alertDispatcher; }, timings, connects});
    return *controller;
}

void ControllerHarness::destroy()
{
    controller.reset();
}

} // namespace navora::test
