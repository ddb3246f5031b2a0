// Sequencing: the arrival alert, the waypoint passage that advances a route,
// course reversal and arrival at the destination, decided inside the pass.
#include "nav/NavEngine.h"

#include "nav/LocalTime.h"

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

NavEngine::Alert arrivalAt(const WaypointPtr& waypoint, std::chrono::sys_seconds now, std::string_view key)
{
    const std::string name = waypoint->description();
    return {std::string(key), true, "Arrival at " + name + " - " + LocalTime::text(now), name, name};
}

} // namespace

void NavEngine::arrivalAlertStep(std::string_view eteField, const Solution& solution)
{
    SequencingState& state = m_state.sequencing;
    state.warnedOfReversal = false;
    if (!(m_state.arrivalAlertHours > solution.timeEnRoute)) {
        batch().setHighlight(eteField, false);
        state.sentAlertForApproaching = false;
        return;
    }
    batch().setHighlight(eteField, true);
    if (state.sentAlertForApproaching) {
        raise(ApproachBeep{});
        return;
    }
    const Waypoint& active = *m_state.activeWaypoint;
    const std::string lead = " in " + std::to_string(m_state.arrivalAlertSeconds) + " seconds";
    raise(Alert{"WaypointArrival", true, "Arrival at waypoint " + active.description() + lead, active.wpName() + lead,
        active.wpComment() + lead});
    state.sentAlertForApproaching = true;
}

void NavEngine::passageCheck(const Waypoint& cp, const Solution& solution)
{
    SequencingState& state = m_state.sequencing;
    const std::chrono::sys_seconds now = m_state.fix.fixDate;
    if (!state.lastSPcheck) {
        state.lastSPcheck = now - passageCheckInterval;
        return;
    }
    if (now < *state.lastSPcheck + passageCheckInterval)
        return;
    if (state.distPA == -1.0f) {
        state.distAN = m_state.activeWaypoint->distanceFromPoint(*m_state.nextWaypoint);
        if (m_state.prevWaypoint)
            state.distPA = m_state.activeWaypoint->distanceFromPoint(*m_state.prevWaypoint);
    }
    const float toNext = cp.distanceFromPoint(*m_state.nextWaypoint);
    bool passed = false;
    if (!m_state.prevWaypoint || std::fabs(m_state.legCache.nextTurnAngle) >= 90.0f) {
        passed = state.distAN > solution.distance;
    } else {
        const float toPrev = cp.distanceFromPoint(*m_state.prevWaypoint);
        const float bearingToNext = m_state.nextWaypoint->bearingFromPoint(cp);
        const auto towardsNext = static_cast<float>(
            m_state.navFix.speed * std::cos((bearingToNext - m_state.navFix.track) * 0.017453292519943295));
        if (!(towardsNext > 0.0f)) {
            if (!state.warnedOfReversal)
                raise(Alert::plain("CourseReversal"));
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

void NavEngine::destinationArrivalCheck(const Solution& solution)
{
    if (!(solution.vmg < -0.5 * m_state.navFix.speed))
        return;
    const double hours = solution.distance / (-solution.vmg * knotsPerMetrePerSecond);
    if (!(hours < arrivalHours) || m_state.sequencing.sentFinalArrival)
        return;
    raise(arrivalAt(m_state.activeWaypoint, m_state.fix.fixDate, "DestinationArrival"));
    m_state.sequencing.sentFinalArrival = true;
}

void NavEngine::stationPassage()
{
    raise(arrivalAt(m_state.activeWaypoint, m_state.fix.fixDate, "WaypointPassage"));
    clearAllWpFieldsStep();
    const RoutePtr route = m_state.activeRoute;
    const int next = route->activeIndex() + 1;
    const int count = static_cast<int>(route->count());
    if (next < count) {
        activate(route, next);
        return;
    }
    // The route was shortened under the active leg: end on its last waypoint.
    if (count == 0) {
        Log::format("Route %s has no waypoints left - stopping navigation", route->description().c_str());
        activate(nullptr, 0);
        return;
    }
    Log::format("Route %s was shortened while active - ending on its last waypoint", route->description().c_str());
    activate(route, count - 1);
}

} // namespace navora
