// Sequencing: the arrival alert, the waypoint passage that advances a route,
// course reversal and arrival at the destination, decided inside the pass.
#include "nav/NavEngine.h"

#include "nav/LegGeometry.h"
#include "nav/LocalTime.h"

#include "core/Log.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace navora {

namespace {

constexpr double knotsPerMetrePerSecond = 1.9438445;
constexpr double metresPerNauticalMile = 1852.0;
// A passage check, once armed, runs again after this much fix time.
constexpr std::chrono::seconds passageCheckInterval{5};
// Under this many hours from the destination at the receding speed, it counts
// as reached (36 seconds).
constexpr double arrivalHours = 0.01;
// The least arrival distance: a position this near a waypoint is at it.
constexpr double leastArrivalNm = 0.01;
// A destination passed abeam counts as reached when it lies no further than
// this to the side (about 185 metres).
constexpr double abeamArrivalNm = 0.1;

NavEngine::Alert arrivalAt(const WaypointPtr& waypoint, std::chrono::sys_seconds now, std::string_view key)
{
    const std::string name = waypoint->description();
    return {std::string(key), true, "Arrival at " + name + " - " + LocalTime::text(now), name, name};
}

} // namespace

// A pass decides only on a current fix: one with a position and a solution
// that is a number, at a fix time other than the last one decided (a
// repeated report, or the passes activations run on the fix already decided,
// only show). A time that jumps back, a receiver replaced, is a new fix.
bool NavEngine::decides(const Solution& solution) const
{
    if (!std::isfinite(solution.distance) || !std::isfinite(solution.vmg))
        return false;
    const std::optional<std::chrono::sys_seconds>& last = m_state.sequencing.lastDecision;
    return !last || m_state.fix.fixDate != *last;
}

// The larger of the least arrival distance and the fix's own horizontal
// error estimate, in nautical miles.
double NavEngine::arrivalDistance() const
{
    const double eph = m_state.navFix.eph;
    if (!(eph > 0.0) || !std::isfinite(eph))
        return leastArrivalNm;
    return std::max(leastArrivalNm, eph / metresPerNauticalMile);
}

void NavEngine::sequence(const Waypoint& cp, const Solution& solution)
{
    if (!decides(solution))
        return;
    SequencingState& state = m_state.sequencing;
    state.lastDecision = m_state.fix.fixDate;
    if (solution.vmg > 0.0f || solution.distance <= arrivalDistance())
        state.approached = true;
    if (solution.vmg > 0.0f)
        arrivalAlertStep(solution);
    if (!m_state.nextWaypoint) {
        destinationArrivalCheck(cp, solution);
        return;
    }
    if (solution.vmg < 0.0f)
        passageCheck(cp, solution);
}

void NavEngine::arrivalAlertStep(const Solution& solution)
{
    SequencingState& state = m_state.sequencing;
    state.warnedOfReversal = false;
    if (!(m_state.arrivalAlertHours > solution.timeEnRoute)) {
        state.sentAlertForApproaching = false;
        return;
    }
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

// Receding from the active waypoint: once armed, every five seconds of fix
// time, decide whether it has been passed. Only a waypoint that was closed
// on can be passed, or the course called reversed.
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
    bool passed = false;
    if (!state.approached) {
        // Receding from a waypoint never closed on: a start heading away, or
        // a mark that lies behind after a sharp turn. Wait for the approach.
    } else if (!m_state.prevWaypoint || std::fabs(m_state.legCache.nextTurnAngle) >= 90.0f) {
        passed = passedAtSharpTurn(cp, solution);
    } else {
        const float toNext = cp.distanceFromPoint(*m_state.nextWaypoint);
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

// At a sharp turn (or a leg without start), nearer the waypoint than the
// next leg is long, and across the line that halves the turn: a swerve on
// the way in stays on the near side of it.
bool NavEngine::passedAtSharpTurn(const Waypoint& cp, const Solution& solution) const
{
    if (!(m_state.sequencing.distAN > solution.distance))
        return false;
    if (!m_state.prevWaypoint || solution.distance <= arrivalDistance())
        return true;
    return LegGeometry::beyondTurn(cp, *m_state.prevWaypoint, *m_state.activeWaypoint, *m_state.nextWaypoint);
}

// The destination is reached within the arrival distance once no longer
// closing on it (stopped there, or just past), or when it recedes so fast that it would have been reached within 36
// seconds; or, where that rule cannot reach (a slow boat, a wide pass), when the last leg, closed on, has been sailed
// past its end with the destination near abeam. Announced once.
void NavEngine::destinationArrivalCheck(const Waypoint& cp, const Solution& solution)
{
    if (m_state.sequencing.sentFinalArrival)
        return;
    bool reached = solution.distance <= arrivalDistance() && !(solution.vmg > 0.0f);
    if (!reached && solution.vmg < -0.5 * m_state.navFix.speed) {
        const double hours = solution.distance / (-solution.vmg * knotsPerMetrePerSecond);
        reached = hours < arrivalHours;
    }
    if (!reached && m_state.sequencing.approached)
        reached = passedLastLegAbeam(cp, solution);
    if (!reached)
        return;
    raise(arrivalAt(m_state.activeWaypoint, m_state.fix.fixDate, "DestinationArrival"));
    m_state.sequencing.sentFinalArrival = true;
    m_state.sequencing.arrivedAt = m_state.fix.fixDate;
}

bool NavEngine::passedLastLegAbeam(const Waypoint& cp, const Solution& solution) const
{
    const WaypointPtr& start = m_state.prevWaypoint;
    const Waypoint& end = *m_state.activeWaypoint;
    if (!start || !LegGeometry::knownPosition(*start) || LegGeometry::samePlace(*start, end))
        return false;
    // Within 36 seconds at the present speed the receding rule decides.
    const double recedingReach = arrivalHours * m_state.navFix.speed * knotsPerMetrePerSecond;
    if (!(solution.distance > recedingReach) || !(solution.distance <= abeamArrivalNm))
        return false;
    return LegGeometry::alongTrackNm(cp, *start, end) >= LegGeometry::alongTrackNm(end, *start, end);
}

void NavEngine::stationPassage()
{
    raise(arrivalAt(m_state.activeWaypoint, m_state.fix.fixDate, "WaypointPassage"));
    clearAllWpFieldsStep();
    // The next waypoint is the first one after the active one at another
    // known place; the followed copy cannot change under the pass.
    const int next = firstDistinctAfter(*m_state.followedRoute, m_state.followedRoute->activeIndex());
    if (next < 0) {
        Log::format("Route %s has no waypoint after %s", m_state.followedRoute->description().c_str(),
            m_state.activeWaypoint->description().c_str());
        return;
    }
    follow(next);
}

} // namespace navora
