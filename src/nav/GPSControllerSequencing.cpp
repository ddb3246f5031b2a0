// Sequencing: the arrival alert, the waypoint passage that advances a route,
// course reversal and arrival at the destination, decided inside the pass.
#include "gps/GPSController.h"
#include "nav/LocalTime.h"

#include "core/AlertDispatcher.h"
#include "core/Log.h"

#include <chrono>
#include <cmath>

namespace navora {

namespace {

constexpr double knotsPerMetrePerSecond = 1.9438445;
// A passage check, once armed, runs again after this much fix time.
constexpr std::chrono::seconds passageCheckInterval{5};
// Under this many hours from the destination at the receding speed, it counts
// as reached (36 seconds).
constexpr double arrivalHours = 0.01;

} // namespace

void GPSController::arrivalAlertStep(std::string_view eteField, const Solution& solution)
{
    SequencingState& state = m_sequencingState;
    state.warnedOfReversal = false;
    const float leadHours = arrivalAlertHours();
    if (!(leadHours > solution.timeEnRoute)) {
        batch().setHighlight(eteField, false);
        state.sentAlertForApproaching = false;
        return;
    }
    batch().setHighlight(eteField, true);
    if (state.sentAlertForApproaching) {
        if (m_ac)
            m_ac->approachingBeep();
        return;
    }
    const int seconds = arrivalAlertSeconds();
    if (m_ac) {
        const std::string spoken = m_ac->sayWhat() != 0 ? m_activeWaypoint->wpComment() : m_activeWaypoint->wpName();
        const std::string lead = std::to_string(seconds);
        m_ac->alertAllForKey("WaypointArrival",
            "Arrival at waypoint " + m_activeWaypoint->description() + " in " + lead + " seconds",
            spoken + " in " + lead + " seconds");
    }
    state.sentAlertForApproaching = true;
}

void GPSController::passageCheck(const Waypoint& cp, const Solution& solution)
{
    SequencingState& state = m_sequencingState;
    const std::chrono::sys_seconds now = fixDate();
    if (!state.lastSPcheck) {
        state.lastSPcheck = now - passageCheckInterval;
        return;
    }
    if (now < *state.lastSPcheck + passageCheckInterval)
        return;
    if (state.distPA == -1.0f) {
        state.distAN = m_activeWaypoint->distanceFromPoint(*m_nextWaypoint);
        if (m_prevWaypoint)
            state.distPA = m_activeWaypoint->distanceFromPoint(*m_prevWaypoint);
    }
    const float toNext = cp.distanceFromPoint(*m_nextWaypoint);
    bool passed = false;
    if (!m_prevWaypoint || std::fabs(m_legCache.nextTurnAngle) >= 90.0f) {
        passed = state.distAN > solution.distance;
    } else {
        const float toPrev = cp.distanceFromPoint(*m_prevWaypoint);
        const float bearingToNext = m_nextWaypoint->bearingFromPoint(cp);
        const auto towardsNext
            = static_cast<float>(m_navFix.speed * std::cos((bearingToNext - m_navFix.track) * 0.017453292519943295));
        if (!(towardsNext > 0.0f)) {
            if (!state.warnedOfReversal && m_ac)
                m_ac->alertAllForKey("CourseReversal");
            state.warnedOfReversal = true;
        } else {
            passed = (state.distAN - toNext) > (state.distPA - toPrev);
        }
    }
    if (passed) {
        stationPassage();
        return;
    }
    state.lastSPcheck = now;
}

void GPSController::destinationArrivalCheck(const Solution& solution)
{
    if (!(solution.vmg < -0.5 * m_navFix.speed))
        return;
    const double hours = solution.distance / (-solution.vmg * knotsPerMetrePerSecond);
    if (!(hours < arrivalHours) || m_sequencingState.sentFinalArrival)
        return;
    if (m_ac) {
        const std::string name = m_activeWaypoint->description();
        m_ac->alertAllForKey("DestinationArrival", "Arrival at " + name + " - " + LocalTime::text(fixDate()), name);
    }
    m_sequencingState.sentFinalArrival = true;
}

void GPSController::stationPassage()
{
    if (m_ac) {
        const std::string name = m_activeWaypoint->description();
        m_ac->alertAllForKey("WaypointPassage", "Arrival at " + name + " - " + LocalTime::text(fixDate()), name);
    }
    clearAllWpFields();
    const RoutePtr route = m_activeRoute;
    const int next = route->activeIndex() + 1;
    const int count = static_cast<int>(route->count());
    if (next < count) {
        activateRoute(route, next);
        return;
    }
    // The route was shortened under the active leg: end on its last waypoint.
    if (count == 0) {
        Log::format("Route %s has no waypoints left - stopping navigation", route->description().c_str());
        activateRoute(nullptr, 0);
        return;
    }
    Log::format("Route %s was shortened while active - ending on its last waypoint", route->description().c_str());
    activateRoute(route, count - 1);
}

} // namespace navora
