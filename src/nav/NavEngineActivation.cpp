// Activation: routes and waypoints made active, auto-location on a route,
// the clearing of the navigation fields.
#include "nav/NavEngine.h"

#include "nav/DisplayFields.h"

#include "core/Log.h"
#include "model/Geodesy.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace navora {

void NavEngine::resetLegState()
{
    m_state.legCache = LegCache{};
    m_state.sequencing.distPA = -1.0f;
    m_state.sequencing.lastSPcheck.reset();
    m_state.sequencing.sentFinalArrival = false;
}

NavEngine::Output NavEngine::activateRoute(const RoutePtr& route, int index)
{
    return run([&] { activate(route, index); });
}

void NavEngine::activate(const RoutePtr& route, int index)
{
    if (route && !(index >= 0 && static_cast<size_t>(index) < route->count())) {
        Log::format("Not activating route %s at index %d: it has %zu waypoints", route->description().c_str(), index,
            route->count());
        return;
    }
    const auto at = [&route](int i) { return route->waypointAtIndex(static_cast<size_t>(i)); };
    if (route)
        route->setActiveIndex(index);
    m_state.activeRoute = route;
    m_state.activeWaypoint = route ? at(index) : nullptr;
    if (route && index > 0) {
        m_state.prevWaypoint = at(index - 1);
    } else {
        const WaypointPtr& cp = m_state.fix.currentPos;
        m_state.prevWaypoint = cp ? cp->copy() : nullptr;
    }
    const bool hasNext = route && static_cast<size_t>(index) + 1 < route->count();
    m_state.nextWaypoint = hasNext ? at(index + 1) : nullptr;
    resetLegState();
    showNavStep();
    raise(RouteActive{route});
}

namespace {

// The spherical estimate of a distance is within this ratio of the
// ellipsoidal one on either side (the earth's flattening, with room).
constexpr double sphereRatio = 1.02;

} // namespace

// The leg whose end waypoints have the least sum of distances from the
// position, the earlier on a tie. A spherical estimate picks the legs that
// can be nearest; only those get the exact (ellipsoidal) sums, compared in
// single precision in route order.
int NavEngine::nearestLeg(const Waypoint& cp, const Route& route)
{
    const double latitude = cp.latitude();
    const double longitude = cp.longitude();
    std::vector<double> estimate(route.count());
    for (size_t i = 0; i < route.count(); ++i) {
        const Waypoint& w = *route.waypointAtIndex(i);
        estimate[i] = Geodesy::sphericalDistanceMetres(latitude, longitude, w.latitude(), w.longitude());
    }
    double bestEstimate = std::numeric_limits<double>::infinity();
    for (size_t i = 1; i < estimate.size(); ++i)
        bestEstimate = std::min(bestEstimate, estimate[i] + estimate[i - 1]);
    const double limit = bestEstimate * sphereRatio + 1.0;
    int best = 1;
    float bestSum = std::numeric_limits<float>::infinity();
    for (size_t i = 1; i < estimate.size(); ++i) {
        if (!(estimate[i] + estimate[i - 1] <= limit))
            continue;
        const float sum
            = cp.distanceFromPoint(*route.waypointAtIndex(i)) + cp.distanceFromPoint(*route.waypointAtIndex(i - 1));
        if (bestSum > sum) {
            best = static_cast<int>(i);
            bestSum = sum;
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
        m_state.activeWaypoint = waypoint;
        const WaypointPtr& cp = m_state.fix.currentPos;
        m_state.prevWaypoint = cp ? cp->copy() : nullptr;
        resetLegState();
        showNavStep();
        navigationPass();
    });
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
}

} // namespace navora
