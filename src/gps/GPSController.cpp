#include "gps/GPSController.h"

#include "gps/Display.h"

#include "core/AlertDispatcher.h"
#include "core/Log.h"
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"

#include <cmath>
#include <optional>

namespace navora {

namespace {

// The port is kept as a text of at most this many characters.
constexpr size_t maxPortLength = 5;

} // namespace

GPSController::GPSController(Services services)
    : m_settings(services.settings)
    , m_center(services.center)
    , m_display(std::move(services.display))
    , m_gps1(std::move(services.link))
    , m_makeAlertDispatcher(std::move(services.makeAlertDispatcher))
    , m_timings(services.timings)
{
}

GPSController::~GPSController()
{
    Log::line("GPS Controller shutting down");
    m_running = false;
    m_wake.signal();
    if (m_thread.joinable())
        m_thread.join();
    m_center.removeObserver(this);
    m_gps1->close();
    std::lock_guard lock(m_fixMutex);
    m_fix.currentPos.reset();
}

void GPSController::windowDidLoad()
{
    if (m_makeAlertDispatcher)
        m_ac = m_makeAlertDispatcher();
    readSettings();
    registerObservers();
    if (m_running)
        return;
    openLink();
}

void GPSController::readSettings()
{
    m_gpsdProtocol = m_settings.integerForKey(TRVProtocolKey);
    copyServerPort();
    // The setting holds a character code; only its low byte is a character.
    changeUnits(static_cast<char>(static_cast<unsigned char>(m_settings.integerForKey(TRVUnitsKey) & 0xff)));
    handleChangeArrivalAlert(NotificationObject(static_cast<double>(m_settings.integerForKey(TRVArrivalAlertKey))));
}

void GPSController::registerObservers()
{
    auto observe = [this](std::string_view name, void (GPSController::*handler)(const NotificationObject&)) {
        m_center.addObserver(
            this, name, [this, handler](const NotificationObject& object) { (this->*handler)(object); });
    };
    observe(TRVServerPortChanged, &GPSController::handleChangeServerPort);
    observe(TRVUnitsChanged, &GPSController::handleChangeUnits);
    observe(TRVArrivalAlertChanged, &GPSController::handleChangeArrivalAlert);
    observe(TRVWaypointActivated, &GPSController::handleWaypointActivated);
    observe(TRVRouteActivated, &GPSController::handleRouteActivated);
    observe(TRVWDneedsCP, &GPSController::handleWDneedsCP);
    observe(TRVMNFloatChanged, &GPSController::handleChangeMNFloat);
}

void GPSController::copyServerPort()
{
    const std::string port = m_settings.stringForKey(TRVgpsdPortKey);
    const std::string server = m_settings.stringForKey(TRVgpsdServerKey);
    std::lock_guard lock(m_endpointMutex);
    if (port.size() > maxPortLength)
        Log::format("GPSd port \"%s\" is longer than %zu characters - keeping port %s", port.c_str(), maxPortLength,
            m_port.c_str());
    else
        m_port = port;
    if (!server.empty())
        m_server = server;
}

std::string GPSController::server() const
{
    std::lock_guard lock(m_endpointMutex);
    return m_server;
}

std::string GPSController::port() const
{
    std::lock_guard lock(m_endpointMutex);
    return m_port;
}

void GPSController::apply(DisplayBatch batch)
{
    if (m_display && !batch.empty())
        m_display->apply(std::move(batch));
}

void GPSController::setMnOn(bool mnOn)
{
    std::lock_guard lock(m_navMutex);
    m_mnOn = mnOn;
}

void GPSController::handleChangeArrivalAlert(const NotificationObject& object)
{
    const std::optional<double> seconds = object.number();
    if (!seconds || !std::isfinite(*seconds) || std::abs(*seconds) > 1e9) {
        Log::line("Ignoring an arrival alert time that is not a number of seconds");
        return;
    }
    const int whole = static_cast<int>(*seconds);
    m_arrivalAlertSeconds = whole;
    m_arrivalAlertHours = static_cast<float>(whole) / 3600.0f;
}

void GPSController::handleWDneedsCP(const NotificationObject&)
{
    if (currentPos())
        m_center.post(TRVcpUpdated, NotificationObject::sentBy(this));
}

} // namespace navora
