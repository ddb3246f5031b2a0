// The navigation pass: the solution from the current position to the active
// waypoint, written to the showing display, with the points where the
// sequencing decisions are made.
#include "gps/GPSController.h"
#include "nav/BatchScope.h"
#include "nav/ClockTime.h"

#include "gps/DisplayFields.h"
#include "gps/UtcTime.h"

#include <cmath>

namespace navora {

namespace {

// Metres per second to knots.
constexpr double knotsPerMetrePerSecond = 1.9438445;

// The MiniNav's indicator keeps the range its layout gives it; the engine
// only needs it to tell whether an error lies within it.
constexpr double miniNavCdiMinimum = -1.0;
constexpr double miniNavCdiMaximum = 1.0;

float velocityTowards(float bearing, double speed, double track)
{
    return static_cast<float>(speed * std::cos((bearing - track) * 0.017453292519943295));
}

std::string name(const WaypointPtr& waypoint)
{
    return waypoint->description();
}

} // namespace

void GPSController::takeNavFix(const GPSRecord& record)
{
    const bool online = !(record.online < 1.0);
    m_navFix = NavFix{online ? record.fix.mode : 0, record.fix.speed, record.fix.track};
}

void GPSController::noteFixStatus(std::string_view title)
{
    m_fixStatus = std::string(title);
}

void GPSController::updateNavData()
{
    std::lock_guard lock(m_navMutex);
    if (!m_activeWaypoint)
        return;
    BatchScope scope(*this);
    const WaypointPtr cp = currentPos();
    if (m_mnOn)
        updateMiniNav(cp);
    else
        updateFullNav(cp);
}

bool GPSController::usableFix(const WaypointPtr& cp) const
{
    return m_navFix.mode > 1 && cp;
}

GPSController::Solution GPSController::solve(const Waypoint& cp) const
{
    Solution solution;
    solution.bearing = m_activeWaypoint->bearingFromPoint(cp);
    solution.distance = m_activeWaypoint->distanceFromPoint(cp);
    solution.vmg = velocityTowards(solution.bearing, m_navFix.speed, m_navFix.track);
    if (solution.vmg > 0.0f)
        solution.timeEnRoute = static_cast<float>(solution.distance / (solution.vmg * knotsPerMetrePerSecond));
    return solution;
}

float GPSController::routeRemaining()
{
    const size_t count = m_activeRoute->count();
    if (m_legCache.routeRemaining < 0.0f || m_legCache.routeCount != count) {
        m_legCache.routeRemaining = m_activeRoute->distanceRemainingOnRouteFromIndex(m_activeRoute->activeIndex());
        m_legCache.routeCount = count;
    }
    return m_legCache.routeRemaining;
}

void GPSController::nextLegStep()
{
    if (!m_nextWaypoint)
        return;
    if (m_legCache.nextDTK < 0.0f)
        m_legCache.nextDTK = m_nextWaypoint->bearingFromPoint(*m_activeWaypoint);
    if (std::isnan(m_legCache.nextTurnAngle) && m_legCache.currentDTK >= 0.0f && m_legCache.nextDTK >= 0.0f) {
        float turn = m_legCache.nextDTK - m_legCache.currentDTK;
        if (turn < -180.0f)
            turn += 360.0f;
        else if (turn > 180.0f)
            turn -= 360.0f;
        m_legCache.nextTurnAngle = turn;
    }
}

void GPSController::currentLegStep()
{
    if (m_prevWaypoint && m_legCache.currentDTK < 0.0f)
        m_legCache.currentDTK = m_activeWaypoint->bearingFromPoint(*m_prevWaypoint);
}

void GPSController::updateFullNav(const WaypointPtr& cp)
{
    DisplayBatch& out = batch();
    out.setNumber(fields::wpLatitude, m_activeWaypoint->latitude());
    out.setNumber(fields::wpLongitude, m_activeWaypoint->longitude());
    out.setBoxTitle(fields::wpBox, "");
    writeLegTitle();
    const bool usable = usableFix(cp);
    writeCurrentLeg(cp, usable);
    if (!usable) {
        for (const std::string_view field : {fields::wpBearing, fields::wpDistance, fields::wpVMG, fields::wpETE,
                 fields::wpETA, fields::wpETALocal, fields::dDistance, fields::dETE, fields::dETA})
            out.setText(field, "");
        return;
    }
    const Solution solution = solve(*cp);
    out.setNumber(fields::wpBearing, std::trunc(solution.bearing));
    out.setNumber(fields::wpDistance, solution.distance * dstconv());
    out.setNumber(fields::wpVMG, solution.vmg * spdconv());
    if (solution.vmg > 0.0f) {
        writeTimes(solution);
        return;
    }
    for (const std::string_view field : {fields::dETE, fields::dETA, fields::wpETE, fields::wpETA, fields::wpETALocal})
        out.setText(field, "");
    if (!(solution.vmg < 0.0f))
        return;
    if (m_nextWaypoint) {
        out.setNumber(fields::dDistance, (solution.distance + routeRemaining()) * dstconv());
        passageCheck(*cp, solution);
        return;
    }
    destinationArrivalCheck(solution);
}

void GPSController::writeLegTitle()
{
    DisplayBatch& out = batch();
    const std::string active = name(m_activeWaypoint);
    const std::string start = m_prevWaypoint ? name(m_prevWaypoint) : std::string();
    if (!m_activeRoute) {
        out.setBoxTitle(fields::wpBox, start + "->" + active);
        out.setText(fields::nextWP, "");
        return;
    }
    std::string leg = "end";
    if (m_nextWaypoint) {
        const int legs = static_cast<int>(m_activeRoute->count()) - 1;
        leg = std::to_string(m_activeRoute->activeIndex()) + " of " + std::to_string(legs);
    }
    std::string title = m_activeRoute->description() + ": ";
    title.append(start).append("->").append(active).append(" (").append(leg).append(")");
    out.setBoxTitle(fields::wpBox, std::move(title));
    out.setText(fields::nextWP, m_nextWaypoint ? name(m_nextWaypoint) : std::string());
    nextLegStep();
}

void GPSController::writeCurrentLeg(const WaypointPtr& cp, bool usable)
{
    DisplayBatch& out = batch();
    if (!m_prevWaypoint) {
        for (const std::string_view field : {fields::wpDTK, fields::unitsDTK, fields::wpCrossTrack,
                 fields::unitsCrossTrack, fields::wpCrossTrackCDI, fields::wpCDIScale})
            out.setVisible(field, false);
        return;
    }
    currentLegStep();
    out.setNumber(fields::wpDTK, m_legCache.currentDTK);
    out.setVisible(fields::wpDTK, true);
    out.setVisible(fields::unitsDTK, true);
    if (!usable)
        return;
    const float crossTrack = cp->nmOffsetFromGCFromPoint(*m_prevWaypoint, *m_activeWaypoint);
    out.setNumber(fields::wpCrossTrack, crossTrack * dstconv());
    out.setVisible(fields::wpCrossTrack, true);
    out.setVisible(fields::unitsCrossTrack, true);
    out.setVisible(fields::wpCrossTrackCDI, true);
    out.setEnabled(fields::wpCrossTrackCDI, m_cdiMinimum <= crossTrack && crossTrack <= m_cdiMaximum);
    out.setSliderValue(fields::wpCrossTrackCDI, -static_cast<double>(crossTrack));
    out.setVisible(fields::wpCDIScale, true);
}

void GPSController::writeTimes(const Solution& solution)
{
    DisplayBatch& out = batch();
    arrivalAlertStep(fields::wpETE, solution);
    const ClockTime::Parts parts = ClockTime::partsOf(solution.timeEnRoute);
    const std::chrono::sys_seconds arrival = fixDate() + ClockTime::duration(parts);
    out.setText(fields::wpETE, ClockTime::text(parts));
    out.setText(fields::wpETA, UtcTime::text(arrival));
    out.setDate(fields::wpETALocal, arrival);
    if (m_nextWaypoint)
        writeRouteTotals(solution);
}

void GPSController::writeRouteTotals(const Solution& solution)
{
    DisplayBatch& out = batch();
    const float remaining = routeRemaining();
    const auto total = static_cast<float>(solution.timeEnRoute + remaining / (knotsPerMetrePerSecond * m_navFix.speed));
    const ClockTime::Parts parts = ClockTime::partsOf(total);
    out.setNumber(fields::dDistance, (solution.distance + remaining) * dstconv());
    out.setText(fields::dETE, ClockTime::text(parts));
    out.setText(fields::dETA, UtcTime::text(fixDate() + ClockTime::duration(parts)));
}

void GPSController::updateMiniNav(const WaypointPtr& cp)
{
    DisplayBatch& out = batch();
    nextLegStep();
    const bool usable = usableFix(cp);
    const std::string active = name(m_activeWaypoint);
    if (m_prevWaypoint) {
        out.setBoxTitle(fields::mnBox, m_fixStatus + " - " + name(m_prevWaypoint) + "->" + active);
        currentLegStep();
        if (usable) {
            const float crossTrack = cp->nmOffsetFromGCFromPoint(*m_prevWaypoint, *m_activeWaypoint);
            out.setVisible(fields::mnCDI, true);
            out.setEnabled(fields::mnCDI, miniNavCdiMinimum <= crossTrack && crossTrack <= miniNavCdiMaximum);
            out.setSliderValue(fields::mnCDI, -static_cast<double>(crossTrack));
        }
    } else {
        out.setBoxTitle(fields::mnBox, m_fixStatus + " - ->" + active);
        out.setVisible(fields::mnCDI, false);
    }
    if (!usable) {
        out.setText(fields::mnDistance, "");
        out.setText(fields::mnETE, "");
        return;
    }
    const Solution solution = solve(*cp);
    out.setNumber(fields::mnDistance, solution.distance * dstconv());
    if (solution.vmg > 0.0f) {
        arrivalAlertStep(fields::mnETE, solution);
        out.setText(fields::mnETE, ClockTime::text(ClockTime::partsOf(solution.timeEnRoute)));
        return;
    }
    out.setText(fields::mnETE, "");
    if (!(solution.vmg < 0.0f))
        return;
    if (m_nextWaypoint)
        passageCheck(*cp, solution);
    else
        destinationArrivalCheck(solution);
}

} // namespace navora
