#include "gps/GPSController.h"

#include "gps/Display.h"

#include "nav/DisplayFields.h"
#include "nav/UnitSystem.h"

#include "core/AlertDispatcher.h"
#include "core/Log.h"
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"

#include <cmath>
#include <optional>
#include <utility>

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
    , m_connects(services.connects)
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
    std::lock_guard lock(m_engineMutex);
    m_engine.state().fix.currentPos.reset();
}

void GPSController::windowDidLoad()
{
    if (m_makeAlertDispatcher)
        m_ac = m_makeAlertDispatcher();
    readSettings();
    registerObservers();
    if (m_connects && !m_thread.joinable())
        startLink();
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
    observe(TRVRouteEdited, &GPSController::handleRouteEdited);
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

template <typename Call> void GPSController::drive(Call call)
{
    {
        std::lock_guard lock(m_engineMutex);
        NavEngine::Output output = call(m_engine);
        // Queued under the engine's lock, so outputs keep the engine's order.
        std::lock_guard queue(m_deliveryMutex);
        m_undelivered.push_back(std::move(output));
    }
    deliverInOrder();
}

void GPSController::deliverInOrder()
{
    std::unique_lock queue(m_deliveryMutex);
    if (m_delivering)
        return;
    m_delivering = true;
    // The writes of calls made while events are delivered (an observer
    // activating a route when the first position comes) join the batch of
    // the call that set them off, which the display takes after the events.
    DisplayBatch writes;
    while (!m_undelivered.empty() || !writes.empty()) {
        if (m_undelivered.empty()) {
            DisplayBatch done = std::exchange(writes, DisplayBatch{});
            queue.unlock();
            if (m_display)
                m_display->apply(std::move(done));
            queue.lock();
            continue;
        }
        NavEngine::Output output = std::move(m_undelivered.front());
        m_undelivered.pop_front();
        queue.unlock();
        deliver(output.events);
        writes.append(std::move(output.display));
        queue.lock();
    }
    m_delivering = false;
}

void GPSController::deliver(const std::vector<NavEngine::Event>& events)
{
    for (const NavEngine::Event& event : events) {
        if (const auto* alert = std::get_if<NavEngine::Alert>(&event)) {
            if (!m_ac)
                continue;
            if (!alert->hasTexts)
                m_ac->alertAllForKey(alert->key);
            else
                m_ac->alertAllForKey(
                    alert->key, alert->description, m_ac->sayWhat() != 0 ? alert->speechOfComment : alert->speech);
        } else if (std::holds_alternative<NavEngine::ApproachBeep>(event)) {
            if (m_ac)
                m_ac->approachingBeep();
        } else if (const auto* active = std::get_if<NavEngine::RouteActive>(&event)) {
            m_center.post(TRVRouteIsActive, NotificationObject(active->route));
        } else {
            m_center.post(TRVcpUpdated, NotificationObject::sentBy(this));
        }
    }
}

void GPSController::writeWhileRunning(DisplayBatch batch)
{
    drive([this, &batch](NavEngine&) {
        NavEngine::Output output;
        // Under the engine's lock, as stopAll's closing is made.
        if (m_running)
            output.display = std::move(batch);
        return output;
    });
}

template <typename Read> auto GPSController::read(Read get) const
{
    std::lock_guard lock(m_engineMutex);
    return get(m_engine.state());
}

void GPSController::updateGPS(const NotificationObject& object)
{
    drive([&](NavEngine& engine) {
        if (object.number() == 0.0)
            askAgainForStatus();
        return engine.takeReport(m_gps1->record());
    });
    if (m_trackRecorder)
        offerToTrack();
}

void GPSController::offerToTrack()
{
    // Once per fix time, while the position is current.
    const FixState fix = fixState();
    if (!fix.currentPos || fix.lastFreshFixTime == m_lastTrackedFix)
        return;
    m_lastTrackedFix = fix.lastFreshFixTime;
    const GPSRecord::Fix& raw = m_gps1->record().fix;
    m_trackRecorder->take({fix.lastFreshFixTime, fix.lat, fix.lon, std::isfinite(raw.altitude) ? raw.altitude : 0.0,
        std::isfinite(raw.speed) ? raw.speed : 0.0});
}

void GPSController::recordTrack(std::string folder)
{
    m_trackRecorder = std::make_unique<TrackRecorder>(std::move(folder));
}

PlotScene GPSController::plotScene() const
{
    PlotScene scene = read([](const NavEngine::State& s) {
        PlotScene taken;
        if (const RoutePtr& route = s.followedRoute) {
            for (const WaypointPtr& waypoint : route->routeWaypoints()) {
                const WaypointSnapshot at = waypoint->snapshot();
                taken.route.push_back({at.latitude, at.longitude, at.wpName});
            }
            taken.activeIndex = route->activeIndex();
        } else if (s.activeWaypoint) {
            const WaypointSnapshot at = s.activeWaypoint->snapshot();
            taken.route.push_back({at.latitude, at.longitude, at.wpName});
            taken.activeIndex = 0;
        }
        taken.hasPosition = s.fix.lastFreshFixTime > 0.0;
        taken.latitude = s.fix.lat;
        taken.longitude = s.fix.lon;
        taken.course = s.fix.trk;
        taken.offLine = !s.fix.currentPos;
        taken.fixTime = s.fix.lastFreshFixTime;
        taken.corridorNm = s.cdiMaximum;
        if (s.unitSystem) {
            taken.unitFactor = s.unitSystem->dstconv;
            taken.unitLabel = std::string(s.unitSystem->dst_units);
        }
        return taken;
    });
    scene.track = recordedTrack();
    return scene;
}

std::vector<TrackPoint> GPSController::recordedTrack() const
{
    return m_trackRecorder ? m_trackRecorder->currentTrack() : std::vector<TrackPoint>();
}

void GPSController::startNewTrack()
{
    if (m_trackRecorder) {
        m_trackRecorder->startNewTrack();
        Log::line("A new track starts with the next position");
    }
}

void GPSController::checkReceiverStale()
{
    drive([](NavEngine& engine) { return engine.checkStale(); });
}

void GPSController::receiverLinkLost()
{
    drive([](NavEngine& engine) { return engine.linkLost(); });
}

void GPSController::stopAll()
{
    m_running = false;
    m_wake.signal();
    // Navigation ends with the link.
    activateRoute(nullptr, 0);
    drive([](NavEngine&) {
        NavEngine::Output output;
        output.display.setVisible(fields::window, false);
        output.display.setVisible(fields::navDataWindow, false);
        output.display.setVisible(fields::miniNavWindow, false);
        return output;
    });
}

void GPSController::clearFixFields()
{
    drive([](NavEngine& engine) { return engine.clearFixFields(); });
}

void GPSController::clearSats()
{
    drive([](NavEngine& engine) { return engine.clearSats(); });
}

FixState GPSController::fixState() const
{
    return read([](const NavEngine::State& s) { return s.fix; });
}

bool GPSController::mnOn() const
{
    return read([](const NavEngine::State& s) { return s.mnOn; });
}

void GPSController::setMnOn(bool mnOn)
{
    std::lock_guard lock(m_engineMutex);
    m_engine.state().mnOn = mnOn;
}

void GPSController::changeUnits(char c)
{
    drive([c](NavEngine& engine) { return engine.changeUnits(c); });
}

void GPSController::handleChangeUnits(const NotificationObject& object)
{
    const int row = object.controlState() ? object.controlState()->selectedRow : -1;
    if (const std::optional<char> code = UnitSystem::codeForRow(row)) {
        changeUnits(*code);
        return;
    }
    Log::format("Unknown units - row %d - selected", row);
}

char GPSController::units() const
{
    return read([](const NavEngine::State& s) { return s.units; });
}

double GPSController::factor(double UnitSystem::*member) const
{
    return read([member](const NavEngine::State& s) { return s.unitSystem ? s.unitSystem->*member : 0.0; });
}

std::string GPSController::label(std::string_view UnitSystem::*member) const
{
    return read([member](const NavEngine::State& s) { return std::string(s.unitSystem ? s.unitSystem->*member : ""); });
}

void GPSController::handleChangeArrivalAlert(const NotificationObject& object)
{
    const std::optional<double> seconds = object.number();
    if (!seconds || !std::isfinite(*seconds) || std::abs(*seconds) > 1e9) {
        Log::line("Ignoring an arrival alert time that is not a number of seconds");
        return;
    }
    std::lock_guard lock(m_engineMutex);
    m_engine.setArrivalAlertSeconds(static_cast<int>(*seconds));
}

int GPSController::arrivalAlertSeconds() const
{
    return read([](const NavEngine::State& s) { return s.arrivalAlertSeconds; });
}

float GPSController::arrivalAlertHours() const
{
    return read([](const NavEngine::State& s) { return s.arrivalAlertHours; });
}

void GPSController::handleWDneedsCP(const NotificationObject&)
{
    if (currentPos())
        m_center.post(TRVcpUpdated, NotificationObject::sentBy(this));
}

void GPSController::updateNavData()
{
    drive([](NavEngine& engine) { return engine.updateNavData(); });
}

void GPSController::activateRoute(const RoutePtr& route, int index)
{
    drive([&](NavEngine& engine) { return engine.activateRoute(route, index); });
}

void GPSController::autoLocateOnRoute(const RoutePtr& route)
{
    drive([&](NavEngine& engine) { return engine.autoLocateOnRoute(route); });
}

void GPSController::handleRouteActivated(const NotificationObject& object)
{
    const RoutePtr route = object.route();
    if (!route) {
        Log::line("Ignoring a route activation without a route");
        return;
    }
    drive([&](NavEngine& engine) { return engine.routeActivated(route); });
}

void GPSController::handleRouteEdited(const NotificationObject& object)
{
    drive([route = object.route()](NavEngine& engine) { return engine.routeEdited(route); });
}

void GPSController::handleWaypointActivated(const NotificationObject& object)
{
    const WaypointPtr waypoint = object.waypoint();
    if (!waypoint) {
        Log::line("Ignoring a waypoint activation without a waypoint");
        return;
    }
    drive([&](NavEngine& engine) { return engine.waypointActivated(waypoint); });
}

void GPSController::clearAllWpFields()
{
    drive([](NavEngine& engine) { return engine.clearAllWpFields(); });
}

RoutePtr GPSController::activeRoute() const
{
    return read([](const NavEngine::State& s) { return s.activeRoute; });
}

WaypointPtr GPSController::prevWaypoint() const
{
    return read([](const NavEngine::State& s) { return s.prevWaypoint; });
}

WaypointPtr GPSController::activeWaypoint() const
{
    return read([](const NavEngine::State& s) { return s.activeWaypoint; });
}

WaypointPtr GPSController::nextWaypoint() const
{
    return read([](const NavEngine::State& s) { return s.nextWaypoint; });
}

LegCache GPSController::legCache() const
{
    return read([](const NavEngine::State& s) { return s.legCache; });
}

SequencingState GPSController::sequencingState() const
{
    return read([](const NavEngine::State& s) { return s.sequencing; });
}

void GPSController::showNav()
{
    drive([](NavEngine& engine) { return engine.showNav(); });
}

void GPSController::toggleMiniNav()
{
    const bool floatMiniNav = m_settings.boolForKey(TRVFloatMiniKey);
    drive([floatMiniNav](NavEngine& engine) { return engine.toggleMiniNav(floatMiniNav); });
}

void GPSController::changeCDIScale(const ControlState& sender)
{
    drive([&sender](NavEngine& engine) { return engine.changeCDIScale(sender.selectedColumn); });
}

std::pair<double, double> GPSController::cdiRange() const
{
    return read([](const NavEngine::State& s) { return std::make_pair(s.cdiMinimum, s.cdiMaximum); });
}

void GPSController::handleChangeMNFloat(const NotificationObject& object)
{
    const std::optional<ControlState> box = object.controlState();
    if (!box) {
        Log::line("Ignoring a MiniNav floating change without the check box state");
        return;
    }
    drive([&box](NavEngine& engine) { return engine.setMiniNavFloating(box->state); });
}

void GPSController::setStopQuestion(StopQuestion question)
{
    std::lock_guard lock(m_engineMutex);
    m_stopQuestion = std::move(question);
}

bool GPSController::windowShouldClose(std::string_view window)
{
    const std::optional<NavEngine::CloseQuestion> asked = NavEngine::closeQuestion(window);
    if (!asked)
        return true;
    StopQuestion question;
    {
        std::lock_guard lock(m_engineMutex);
        question = m_stopQuestion;
    }
    // Without anyone to ask (no window system), closing keeps navigation on.
    if (!question || !question(asked->title, asked->message, asked->yes, asked->no))
        return false;
    activateRoute(nullptr, 0);
    return true;
}

} // namespace navora
