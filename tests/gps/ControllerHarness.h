#pragma once

#include "support/RecordingAlertDispatcher.h"

#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/Settings.h"
#include "gps/GPSController.h"
#include "gps/RecordingDisplay.h"

#include <memory>

namespace navora::test {

// A GPS controller with its services in memory: the registered default
// settings, a centre of its own, a recording display and alert dispatcher.
class ControllerHarness {
public:
    ControllerHarness() { settings.registerDefaults(); }
    ~ControllerHarness() { destroy(); }

    // Protocol timings short enough for the suite.
    static GPSTimings fastTimings()
    {
        using std::chrono::milliseconds;
        return {milliseconds(400), milliseconds(100), milliseconds(200), milliseconds(800), milliseconds(100)};
    }

    // connects: false when the test feeds the reports in itself.
    GPSController& make(std::unique_ptr<GPSLink> link, GPSTimings timings = fastTimings(), bool connects = true)
    {
        auto dispatcher = alerts;
        controller = std::make_unique<GPSController>(GPSController::Services{
            settings, center, display, std::move(link), [dispatcher] { return dispatcher; }, timings, connects});
        return *controller;
    }
    void destroy() { controller.reset(); }

    MemorySettingsStore store;
    Settings settings{store};
    NotificationCenter center;
    std::shared_ptr<RecordingDisplay> display = std::make_shared<RecordingDisplay>();
    std::shared_ptr<RecordingAlertDispatcher> alerts = std::make_shared<RecordingAlertDispatcher>();
    std::unique_ptr<GPSController> controller;
};

} // namespace navora::test
