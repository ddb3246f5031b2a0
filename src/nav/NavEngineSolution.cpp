// The navigation pass: the solution from the current position to the active
// waypoint, written to the showing display, with the points where the
// sequencing decisions are made.
#include "nav/NavEngine.h"

#include "nav/ClockTime.h"
#include "nav/DisplayFields.h"
#include "nav/UnitSystem.h"
#include "nav/UtcTime.h"

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

// What a leg from the position says where it starts: the user's word, not
// the internal "PPOS".
constexpr std::string_view positionName = "Position";

} // namespace

NavEngine::Output NavEngine::updateNavData()
{
    return run([this] { navigationPass(); });
}

void NavEngine::navigationPass()
{
    if (!m_state.activeWaypoint)
        return;
    const WaypointPtr cp = m_state.fix.currentPos;
    startLegAtFirstPosition(cp);
    if (m_state.mnOn)
        updateMiniNav(cp);
    else
        updateFullNav(cp);
}

double NavEngine::dstconv() const
{
    return m_state.unitSystem ? m_state.unitSystem->dstconv : 0.0;
}

double NavEngine::spdconv() const
{
    return m_state.unitSystem ? m_state.unitSystem->spdconv : 0.0;
}

bool NavEngine::usableFix(const WaypointPtr& cp) const
{
    return m_state.navFix.mode > 1 && cp;
}

NavEngine::Solution NavEngine::solve(const Waypoint& cp) const
{
    Solution solution;
    solution.bearing = m_state.activeWaypoint->bearingFromPoint(cp);
    solution.distance = m_state.activeWaypoint->distanceFromPoint(cp);
    solution.vmg = velocityTowards(solution.bearing, m_state.navFix.speed, m_state.navFix.track);
    if (solution.vmg > 0.0f)
        solution.timeEnRoute = static_cast<float>(solution.distance / (solution.vmg * knotsPerMetrePerSecond));
    return solution;
}

float NavEngine::routeRemaining()
{
    const size_t count = m_state.followedRoute->count();
    if (m_state.legCache.routeRemaining < 0.0f || m_state.legCache.routeCount != count) {
        m_state.legCache.routeRemaining
            = m_state.followedRoute->distanceRemainingOnRouteFromIndex(m_state.followedRoute->activeIndex());
        m_state.legCache.routeCount = count;
    }
    return m_state.legCache.routeRemaining;
}

void NavEngine::nextLegStep()
{
    if (!m_state.nextWaypoint)
        return;
    if (m_state.legCache.nextDTK < 0.0f)
        m_state.legCache.nextDTK = m_state.nextWaypoint->bearingFromPoint(*m_state.activeWaypoint);
    if (std::isnan(m_state.legCache.nextTurnAngle) && m_state.legCache.currentDTK >= 0.0f
        && m_state.legCache.nextDTK >= 0.0f) {
        float turn = m_state.legCache.nextDTK - m_state.legCache.currentDTK;
        if (turn < -180.0f)
            turn += 360.0f;
        else if (turn > 180.0f)
            turn -= 360.0f;
        m_state.legCache.nextTurnAngle = turn;
    }
}

void NavEngine::currentLegStep()
{
    if (m_state.prevWaypoint && m_state.legCache.currentDTK < 0.0f)
        m_state.legCache.currentDTK = m_state.activeWaypoint->bearingFromPoint(*m_state.prevWaypoint);
}

void NavEngine::updateFullNav(const WaypointPtr& cp)
{
    DisplayBatch& out = batch();
    out.setNumber(fields::wpLatitude, m_state.activeWaypoint->latitude());
    out.setNumber(fields::wpLongitude, m_state.activeWaypoint->longitude());
    out.setBoxTitle(fields::wpBox, "");
    writeLegTitle();
    const bool usable = usableFix(cp);
    writeCurrentLeg(cp, usable);
    if (!usable) {
        for (const std::string_view field : {fields::wpBearing, fields::wpDistance, fields::wpVMG, fields::wpETE,
                 fields::wpETA, fields::wpETALocal, fields::dDistance, fields::dETE, fields::dETA})
            out.setText(field, "");
        out.setHighlight(fields::wpETE, false);
        out.setText(fields::wpDistance, "waiting for a position");
        writeArrival();
        return;
    }
    const Solution solution = solve(*cp);
    out.setNumber(fields::wpBearing, std::trunc(solution.bearing));
    out.setNumber(fields::wpDistance, solution.distance * dstconv());
    // On the last leg the active waypoint is the destination.
    if (!m_state.nextWaypoint)
        out.setNumber(fields::dDistance, solution.distance * dstconv());
    out.setNumber(fields::wpVMG, solution.vmg * spdconv());
    if (solution.vmg > 0.0f) {
        writeTimes(fields::wpETE, solution);
    } else {
        for (const std::string_view field :
            {fields::dETE, fields::dETA, fields::wpETE, fields::wpETA, fields::wpETALocal})
            out.setText(field, "");
        out.setHighlight(fields::wpETE, false);
        if (solution.vmg < 0.0f && m_state.nextWaypoint)
            out.setNumber(fields::dDistance, (solution.distance + routeRemaining()) * dstconv());
    }
    sequence(*cp, solution);
    writeArrival();
}

// Once the destination is reached, the figures of the way there mean nothing
// any more: the window says where and when it arrived and offers to stop.
void NavEngine::writeArrival()
{
    DisplayBatch& out = batch();
    const std::optional<std::chrono::sys_seconds>& arrived = m_state.sequencing.arrivedAt;
    out.setVisible(fields::wpStopNavigating, arrived.has_value());
    if (!arrived) {
        out.setText(fields::wpArrived, "");
        out.setText(fields::wpArrivedTime, "");
        return;
    }
    out.setText(fields::wpArrived, "Arrived at " + name(m_state.activeWaypoint));
    out.setDate(fields::wpArrivedTime, *arrived);
    for (const std::string_view field :
        {fields::wpVMG, fields::wpETE, fields::wpETA, fields::wpETALocal, fields::dETE, fields::dETA})
        out.setText(field, "");
    out.setHighlight(fields::wpETE, false);
}

std::string NavEngine::legStartName() const
{
    if (!m_state.prevWaypoint)
        return {};
    return m_state.legFromPosition ? std::string(positionName) : name(m_state.prevWaypoint);
}

void NavEngine::writeLegTitle()
{
    DisplayBatch& out = batch();
    const RoutePtr& route = m_state.followedRoute;
    // A detour is no leg of the route: neither its name nor a leg number.
    const bool routeLeg = route && !m_state.detour;
    // Appended into one string: the title is written with every report.
    std::string title;
    title.reserve(96);
    if (routeLeg)
        title.append(route->description()).append(": ");
    title.append(legStartName()).append("->").append(name(m_state.activeWaypoint));
    if (routeLeg) {
        title.append(" (");
        if (m_state.nextWaypoint) {
            const int legs = static_cast<int>(route->count()) - 1;
            title.append(std::to_string(route->activeIndex())).append(" of ").append(std::to_string(legs));
        } else {
            title.append("end");
        }
        title.push_back(')');
    }
    out.setBoxTitle(fields::wpBox, std::move(title));
    if (!route) {
        out.setText(fields::nextWP, "");
        return;
    }
    out.setText(fields::nextWP, m_state.nextWaypoint ? name(m_state.nextWaypoint) : std::string());
    nextLegStep();
}

void NavEngine::writeCurrentLeg(const WaypointPtr& cp, bool usable)
{
    DisplayBatch& out = batch();
    if (!m_state.prevWaypoint) {
        for (const std::string_view field : {fields::wpDTK, fields::unitsDTK, fields::wpCrossTrack,
                 fields::unitsCrossTrack, fields::wpCrossTrackCDI, fields::wpCDIScale})
            out.setVisible(field, false);
        return;
    }
    currentLegStep();
    out.setNumber(fields::wpDTK, m_state.legCache.currentDTK);
    out.setVisible(fields::wpDTK, true);
    out.setVisible(fields::unitsDTK, true);
    if (!usable)
        return;
    const float crossTrack = cp->nmOffsetFromGCFromPoint(*m_state.prevWaypoint, *m_state.activeWaypoint);
    out.setNumber(fields::wpCrossTrack, crossTrack * dstconv());
    out.setVisible(fields::wpCrossTrack, true);
    out.setVisible(fields::unitsCrossTrack, true);
    out.setVisible(fields::wpCrossTrackCDI, true);
    out.setEnabled(fields::wpCrossTrackCDI, m_state.cdiMinimum <= crossTrack && crossTrack <= m_state.cdiMaximum);
    out.setSliderValue(fields::wpCrossTrackCDI, -static_cast<double>(crossTrack));
    out.setVisible(fields::wpCDIScale, true);
}

void NavEngine::writeTimes(std::string_view eteField, const Solution& solution)
{
    DisplayBatch& out = batch();
    // Amber inside the arrival alert's lead time.
    out.setHighlight(eteField, m_state.arrivalAlertHours > solution.timeEnRoute);
    const ClockTime::Parts parts = ClockTime::partsOf(solution.timeEnRoute);
    const std::chrono::sys_seconds arrival = m_state.fix.fixDate + ClockTime::duration(parts);
    std::string ete = ClockTime::text(parts);
    std::string eta = UtcTime::text(arrival);
    out.setText(fields::wpETE, ete);
    out.setText(fields::wpETA, eta);
    out.setDate(fields::wpETALocal, arrival);
    if (m_state.nextWaypoint) {
        writeRouteTotals(solution);
        return;
    }
    // On the last leg the destination is the active waypoint: the same times.
    out.setText(fields::dETE, std::move(ete));
    out.setText(fields::dETA, std::move(eta));
}

void NavEngine::writeRouteTotals(const Solution& solution)
{
    DisplayBatch& out = batch();
    const float remaining = routeRemaining();
    const auto total
        = static_cast<float>(solution.timeEnRoute + remaining / (knotsPerMetrePerSecond * m_state.navFix.speed));
    const ClockTime::Parts parts = ClockTime::partsOf(total);
    out.setNumber(fields::dDistance, (solution.distance + remaining) * dstconv());
    out.setText(fields::dETE, ClockTime::text(parts));
    out.setText(fields::dETA, UtcTime::text(m_state.fix.fixDate + ClockTime::duration(parts)));
}

void NavEngine::updateMiniNav(const WaypointPtr& cp)
{
    DisplayBatch& out = batch();
    nextLegStep();
    const bool usable = usableFix(cp);
    const std::string active = name(m_state.activeWaypoint);
    if (m_state.prevWaypoint) {
        out.setBoxTitle(fields::mnBox, m_state.fixStatus + " - " + legStartName() + "->" + active);
        currentLegStep();
        if (usable) {
            const float crossTrack = cp->nmOffsetFromGCFromPoint(*m_state.prevWaypoint, *m_state.activeWaypoint);
            out.setVisible(fields::mnCDI, true);
            out.setEnabled(fields::mnCDI, miniNavCdiMinimum <= crossTrack && crossTrack <= miniNavCdiMaximum);
            out.setSliderValue(fields::mnCDI, -static_cast<double>(crossTrack));
        }
    } else {
        out.setBoxTitle(fields::mnBox, m_state.fixStatus + " - ->" + active);
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
        out.setHighlight(fields::mnETE, m_state.arrivalAlertHours > solution.timeEnRoute);
        out.setText(fields::mnETE, ClockTime::text(ClockTime::partsOf(solution.timeEnRoute)));
    } else {
        out.setText(fields::mnETE, "");
    }
    sequence(*cp, solution);
    if (m_state.sequencing.arrivedAt) {
        out.setHighlight(fields::mnETE, false);
        out.setText(fields::mnETE, "");
    }
}

} // namespace navora
