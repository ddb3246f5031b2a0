#include "windows/WindowHarness.h"

#include "core/NotificationObject.h"
#include "documents/DocumentDesk.h"

namespace navora::test {

WindowHarness::WindowHarness()
{
    ensureWidgetApplication();
    settings.registerDefaults();
    auto stub = std::make_unique<StubGPSLink>();
    link = stub.get();
    GPSWindowController::Services services{settings, center, std::move(stub), {}};
    services.stopQuestion = [this](std::string_view title, std::string_view, std::string_view, std::string_view) {
        questions.emplace_back(title);
        if (answers.empty())
            return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    };
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

void WindowHarness::report(double lat, double lon, double speed, double track, double secondsAfterStart, int mode,
    const std::vector<Satellite>& satellites)
{
    GPSRecord& r = link->data;
    r.online = startTime;
    r.fix = GPSRecord::Fix{};
    r.fix.mode = mode;
    r.fix.time = startTime + secondsAfterStart;
    r.fix.latitude = lat;
    r.fix.longitude = lon;
    r.fix.altitude = 120.0;
    r.fix.speed = speed;
    r.fix.track = track;
    r.fix.eph = 8.5;
    r.fix.epv = 14.0;
    r.fix.climb = 0.4;
    r.satellites = static_cast<int>(satellites.size());
    for (size_t i = 0; i < satellites.size() && i < r.channels.size(); ++i)
        r.channels[i] = GPSRecord::Channel{satellites[i].prn, satellites[i].ss, satellites[i].used ? 1 : 0};
    controller().updateGPS(NotificationObject(static_cast<double>(mode)));
}

void WindowHarness::reportOffline()
{
    link->data = GPSRecord{};
    controller().updateGPS(NotificationObject(0.0));
}

} // namespace navora::test
