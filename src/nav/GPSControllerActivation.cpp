// Activation: routes and waypoints made active, auto-location on a route,
// the clearing of the navigation fields and the navigation state's accessors.
#include "gps/GPSController.h"
#include "nav/BatchScope.h"

#include "core/Log.h"
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"
#include "gps/DisplayFields.h"

#include "model/Geodesy.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace navora {

bool GPSController::validRouteIndex(const RoutePtr& route, int index) const
{
    return index >= 0 && static_cast<size_t>(index) < route->count();
}

void GPSController::resetLegState()
{
    m_legCache = LegCache{};
    m_sequencingState.distPA = -1.0f;
    m_sequencingState.lastSPcheck.reset();
    m_sequencingState.sentFinalArrival = false;
}

void GPSController::activateRoute(const RoutePtr& route, int index)
{
    std::lock_guard lock(m_navMutex);
    if (route && !validRouteIndex(route, index)) {
        Log::format("Not activating route %s at index %d: it has %zu waypoints", route->description().c_str(), index,
            route->count());
        return;
    }
    BatchScope scope(*this);
    const auto at = [&route](int i) { return route->waypointAtIndex(static_cast<size_t>(i)); };
    if (route)
        route->setActiveIndex(index);
    setActiveRoute(route);
    m_activeWaypoint = route ? at(index) : nullptr;
    if (route && index > 0) {
        m_prevWaypoint = at(index - 1);
    } else {
        const WaypointPtr cp = currentPos();
        m_prevWaypoint = cp ? cp->copy() : nullptr;
    }
    const bool hasNext = route && static_cast<size_t>(index) + 1 < route->count();
    m_nextWaypoint = hasNext ? at(index + 1) : nullptr;
    resetLegState();
    showNav();
    m_center.post(TRVRouteIsActive, NotificationObject(route));
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
int GPSController::nearestLeg(const Waypoint& cp, const Route& route)
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

void GPSController::autoLocateOnRoute(const RoutePtr& route)
{
    std::lock_guard lock(m_navMutex);
    if (!route || route->count() < 2) {
        Log::format("Not auto-locating on route %s: it has fewer than two waypoints",
            route ? route->description().c_str() : "(null)");
        return;
    }
    int best = 1;
    if (const WaypointPtr cp = currentPos()) {
        Log::line("auto-locating on route...");
        best = nearestLeg(*cp, *route);
    } else {
        Log::line("unable to autolocate - no current position available");
    }
    activateRoute(route, best);
}

void GPSController::handleRouteActivated(const NotificationObject& object)
{
    const RoutePtr route = object.route();
    if (!route) {
        Log::line("Ignoring a route activation without a route");
        return;
    }
    std::lock_guard lock(m_navMutex);
    BatchScope scope(*this);
    if (static_cast<size_t>(route->activeIndex()) == route->count() && route->activeIndex() >= 0)
        autoLocateOnRoute(route);
    else
        activateRoute(route, route->activeIndex());
    showNav();
    updateNavData();
}

void GPSController::handleWaypointActivated(const NotificationObject& object)
{
    const WaypointPtr waypoint = object.waypoint();
    if (!waypoint) {
        Log::line("Ignoring a waypoint activation without a waypoint");
        return;
    }
    std::lock_guard lock(m_navMutex);
    BatchScope scope(*this);
    m_activeWaypoint = waypoint;
    const WaypointPtr cp = currentPos();
    m_prevWaypoint = cp ? cp->copy() : nullptr;
    resetLegState();
    showNav();
    updateNavData();
}

void GPSController::clearAllWpFields()
{
    std::lock_guard lock(m_navMutex);
    BatchScope scope(*this);
    DisplayBatch& out = batch();
    if (m_mnOn) {
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

RoutePtr GPSController::activeRoute() const
{
    std::lock_guard lock(m_navMutex);
    return m_activeRoute;
}

WaypointPtr GPSController::prevWaypoint() const
{
    std::lock_guard lock(m_navMutex);
    return m_prevWaypoint;
}

WaypointPtr GPSController::activeWaypoint() const
{
    std::lock_guard lock(m_navMutex);
    return m_activeWaypoint;
}

WaypointPtr GPSController::nextWaypoint() const
{
    std::lock_guard lock(m_navMutex);
    return m_nextWaypoint;
}

void GPSController::setActiveRoute(const RoutePtr& route)
{
    std::lock_guard lock(m_navMutex);
    if (m_activeRoute != route)
        m_activeRoute = route;
}

LegCache GPSController::legCache() const
{
    std::lock_guard lock(m_navMutex);
    return m_legCache;
}

SequencingState GPSController::sequencingState() const
{
    std::lock_guard lock(m_navMutex);
    return m_sequencingState;
}

} // namespace navora
