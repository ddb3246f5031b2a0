#pragma once

#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/QtText.h"
#include "core/Settings.h"
#include "gps/StubGPSLink.h"
#include "gps/windows/GPSWindowController.h"

#include <QWidget>

#include <chrono>
#include <memory>
#include <string_view>

namespace navora::test {

// The GPS windows with their controller, fed report by report through a stub
// link on the test's (user-interface) thread, offscreen.
class WindowHarness {
public:
    // The latest alert stays in the alert line for alertLineHold.
    explicit WindowHarness(std::chrono::milliseconds alertLineHold = std::chrono::seconds(60));
    ~WindowHarness();

    GPSWindowController& windows() const { return *m_windows; }
    GPSController& controller() const { return m_windows->controller(); }
    // A field of any of the three windows by its name, or none of that type.
    template <typename Widget> Widget* field(std::string_view name) const
    {
        for (const std::string_view window : {"window", "navDataWindow", "miniNavWindow"}) {
            QWidget* top = m_windows->window(window);
            if (top->objectName() == toQString(name))
                return qobject_cast<Widget*>(top);
            if (auto* found = top->findChild<Widget*>(toQString(name)))
                return found;
        }
        return nullptr;
    }
    QString shown(std::string_view name) const;
    // One report with a 3D fix at (lat, lon) moving at speed m/s on track.
    void report(double lat, double lon, double speed, double track, double secondsAfterStart);

    MemorySettingsStore store;
    Settings settings{store};
    NotificationCenter center;
    StubGPSLink* link = nullptr;

private:
    std::unique_ptr<GPSWindowController> m_windows;
};

} // namespace navora::test
