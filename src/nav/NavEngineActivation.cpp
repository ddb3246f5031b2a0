// Activation: routes and waypoints made active, auto-location on a route,
// the clearing of the navigation fields.
#include "nav/NavEngine.h"

#include "nav/DisplayFields.h"
#include "nav/LegGeometry.h"

#include "core/Log.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace navora {

void NavEngine::resetLegState(const WaypointPtr& newActive)
{
    m_state.legCache = LegCache{};
    SequencingState& sequencing = m_state.sequencing;
    sequencing.distPA = -1.0f;
    sequencing.lastSPcheck.reset();
    sequencing.approached = false;
    if (newActive != m_state.activeWaypoint) {
        sequencing.sentFinalArrival = false;
        sequencing.arrivedAt.reset();
    }
}

NavEngine::Output NavEngine::activateRoute(const RoutePtr& route, int index)
{
    return run([&] { activate(route, index); });
}

// Runs on the thread that asks for the activation, the one that owns the
// route: the only place where the engine reads or writes the route itself.
void NavEngine::activate(const RoutePtr& route, int index)
{
    if (route && !(index >= 0 && static_cast<size_t>(index) < route->count())) {
        Log::format("Not activating route %s at index %d: it has %zu waypoints", route->description().c_str(), index,
            route->count());
        return;
    }
    if (!route) {
        resetLegState(nullptr);
        m_state.activeRoute = nullptr;
        m_state.followedRoute = nullptr;
        m_state.activeWaypoint = nullptr;
        m_state.detour = false;
        startLegAtPosition();
        m_state.nextWaypoint = nullptr;
        // Navigation stopped: no leg, and no destination either.
        clearAllWpFieldsStep();
        if (!m_state.mnOn) {
            for (const std::string_view field : {fields::dDistance, fields::dETE, fields::dETA})
                batch().setText(field, "");
        }
        showNavStep();
        raise(RouteActive{nullptr});
        return;
    }
    if (route->activeIndex() != index)
        route->setActiveIndex(index);
    m_state.activeRoute = route;
    m_state.followedRoute = std::make_shared<Route>(*route);
    follow(index);
}

namespace {

// A waypoint that cannot be a leg's end of its own: its position is unknown,
// or it lies where the waypoint before it does (a zero-length leg).
bool passedWithThePrevious(const Route& route, int index)
{
    const Waypoint& w = *route.waypointAtIndex(static_cast<size_t>(index));
    if (!LegGeometry::knownPosition(w))
        return true;
    return index > 0 && LegGeometry::samePlace(w, *route.waypointAtIndex(static_cast<size_t>(index) - 1));
}

bool distinctLegEnd(const Waypoint& candidate, const Waypoint& active)
{
    return LegGeometry::knownPosition(candidate) && !LegGeometry::samePlace(candidate, active);
}

} // namespace

int NavEngine::firstDistinctAfter(const Route& route, int index)
{
    const Waypoint& active = *route.waypointAtIndex(static_cast<size_t>(index));
    for (size_t i = static_cast<size_t>(index) + 1; i < route.count(); ++i)
        if (distinctLegEnd(*route.waypointAtIndex(i), active))
            return static_cast<int>(i);
    return -1;
}

int NavEngine::lastDistinctBefore(const Route& route, int index)
{
    const Waypoint& active = *route.waypointAtIndex(static_cast<size_t>(index));
    for (int i = index - 1; i >= 0; --i)
        if (distinctLegEnd(*route.waypointAtIndex(static_cast<size_t>(i)), active))
            return i;
    return -1;
}

// Makes the followed route's waypoint at index active. Waypoints that cannot
// end a leg (unknown, or where the one before lies) are passed over, so a
// route never stalls on a leg without length; the legs around the active
// waypoint run to and from the nearest waypoints at other known places.
void NavEngine::follow(int index)
{
    const Route& route = *m_state.followedRoute;
    const int last = static_cast<int>(route.count()) - 1;
    while (index < last && passedWithThePrevious(route, index))
        ++index;
    m_state.followedRoute->setActiveIndex(index);
    const WaypointPtr& active = route.waypointAtIndex(static_cast<size_t>(index));
    resetLegState(active);
    m_state.activeWaypoint = active;
    m_state.detour = false;
    if (const int previous = lastDistinctBefore(route, index); previous >= 0) {
        m_state.prevWaypoint = route.waypointAtIndex(static_cast<size_t>(previous));
        m_state.legFromPosition = false;
    } else {
        startLegAtPosition();
    }
    const int next = firstDistinctAfter(route, index);
    m_state.nextWaypoint = next >= 0 ? route.waypointAtIndex(static_cast<size_t>(next)) : nullptr;
    showNavStep();
    raise(RouteActive{m_state.activeRoute});
}

// The leg whose segment lies nearest to the position, the later on a tie;
// legs with an end of unknown position are left out. Returns the index of
// the leg's end, 1 when no leg can be measured.
int NavEngine::nearestLeg(const Waypoint& cp, const Route& route)
{
    int best = 1;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (size_t i = 1; i < route.count(); ++i) {
        const double distance
            = LegGeometry::segmentDistanceNm(cp, *route.waypointAtIndex(i - 1), *route.waypointAtIndex(i));
        if (distance <= bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}

NavEngine::Output NavEngine::autoLocateOnRoute(const RoutePtr& route)
{
    return run([&] { autoLocate(route); });
}

void NavEngine::autoLocate(const RoutePtr& route)
{
    if (!route || route->count() < 2) {
        Log::format("Not auto-locating on route %s: it has fewer than two waypoints",
            route ? route->description().c_str() : "(null)");
        return;
    }
    int best = 1;
    if (const WaypointPtr& cp = m_state.fix.currentPos) {
        Log::line("auto-locating on route...");
        best = nearestLeg(*cp, *route);
    } else {
        Log::line("unable to autolocate - no current position available");
    }
    activate(route, best);
}

NavEngine::Output NavEngine::routeActivated(const RoutePtr& route)
{
    return run([&] {
        if (static_cast<size_t>(route->activeIndex()) == route->count() && route->activeIndex() >= 0)
            autoLocate(route);
        else
            activate(route, route->activeIndex());
        showNavStep();
        navigationPass();
    });
}

NavEngine::Output NavEngine::waypointActivated(const WaypointPtr& waypoint)
{
    return run([&] {
        resetLegState(waypoint);
        // Direct to a waypoint of the followed route goes on along the
        // route; any other waypoint is a detour from it.
        const RoutePtr& route = m_state.followedRoute;
        const int at = route ? route->activeIndex() : -1;
        const bool onRoute = at >= 0 && static_cast<size_t>(at) < route->count()
            && route->waypointAtIndex(static_cast<size_t>(at)) == waypoint;
        m_state.detour = route && !onRoute;
        m_state.activeWaypoint = waypoint;
        startLegAtPosition();
        showNavStep();
        navigationPass();
    });
}

NavEngine::Output NavEngine::routeEdited(const RoutePtr& route)
{
    return run([&] {
        if (!route || route != m_state.activeRoute || !m_state.followedRoute)
            return;
        auto copy = std::make_shared<Route>(*route);
        const int index = m_state.followedRoute->activeIndex();
        if (copy->routeWaypoints() == m_state.followedRoute->routeWaypoints()) {
            // Only the name (or the document's own index) changed: the legs
            // stay as they are.
            copy->setActiveIndex(index);
            m_state.followedRoute = std::move(copy);
            navigationPass();
            return;
        }
        if (copy->count() == 0) {
            Log::format("Route %s has no waypoints left - stopping navigation", route->description().c_str());
            activate(nullptr, 0);
            return;
        }
        const WaypointList& list = copy->routeWaypoints();
        const auto found = std::find(list.begin(), list.end(), m_state.activeWaypoint);
        const int goOnAt = found != list.end() ? static_cast<int>(found - list.begin())
                                               : std::min(index, static_cast<int>(list.size()) - 1);
        Log::format("Route %s changed while active - going on at waypoint %d", route->description().c_str(), goOnAt);
        m_state.followedRoute = std::move(copy);
        follow(goOnAt);
        navigationPass();
    });
}

// A leg made active before any position (Direct To with no fix yet, a route
// at its first waypoint) starts where the first position is, as it would
// have had the position been known: the track, the cross-track error and
// the indicator then have a leg to show. A first position at the waypoint
// itself gives no leg, and the leg stays without start.
void NavEngine::startLegAtFirstPosition(const WaypointPtr& cp)
{
    if (m_state.prevWaypoint || !cp || !LegGeometry::knownPosition(*cp)
        || LegGeometry::samePlace(*cp, *m_state.activeWaypoint))
        return;
    m_state.prevWaypoint = cp->copy();
    m_state.legFromPosition = true;
    m_state.legCache = LegCache{};
}

// The leg starts where the boat is now: a copy of the position, so it stays
// where the leg began while the position moves on (none without a position).
void NavEngine::startLegAtPosition()
{
    const WaypointPtr& cp = m_state.fix.currentPos;
    m_state.prevWaypoint = cp ? cp->copy() : nullptr;
    m_state.legFromPosition = m_state.prevWaypoint != nullptr;
}

NavEngine::Output NavEngine::clearAllWpFields()
{
    return run([this] { clearAllWpFieldsStep(); });
}

void NavEngine::clearAllWpFieldsStep()
{
    DisplayBatch& out = batch();
    if (m_state.mnOn) {
        out.setText(fields::mnDistance, "");
        out.setText(fields::mnETE, "");
        out.setSliderValue(fields::mnCDI, 0.0);
        out.setEnabled(fields::mnCDI, false);
        return;
    }
    out.setText(fields::wpDistance, "");
    out.setSliderValue(fields::wpCrossTrackCDI, 0.0);
    out.setEnabled(fields::wpCrossTrackCDI, false);
    for (const std::string_view field : {fields::wpDTK, fields::wpLatitude, fields::wpLongitude, fields::wpBearing,
             fields::wpCrossTrack, fields::wpETA, fields::wpETE, fields::wpVMG})
        out.setText(field, "");
    out.setBoxTitle(fields::wpBox, "");
    out.setText(fields::nextWP, "");
    out.setHighlight(fields::wpETE, false);
    out.setText(fields::wpArrived, "");
    out.setText(fields::wpArrivedTime, "");
    out.setVisible(fields::wpStopNavigating, false);
}

} // namespace navora
