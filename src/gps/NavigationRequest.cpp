#include "gps/NavigationRequest.h"

#include "gps/GPSController.h"

#include "core/Log.h"
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"
#include "model/DocumentArchive.h"

#include <memory>

namespace navora {

namespace {

bool endsWith(const std::string& text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void refuse(const char* reason, const std::string& path)
{
    Log::format("Cannot navigate %s: %s", path.c_str(), reason);
}

} // namespace

std::optional<NavigationRequest> NavigationRequest::load(const Target& target)
{
    NavigationRequest request;
    std::string error;
    if (endsWith(target.path, ".nvw")) {
        if (!target.waypoint) {
            refuse("a waypoint list needs --waypoint NAME", target.path);
            return std::nullopt;
        }
        const std::optional<WaypointList> list = DocumentArchive::loadWaypointList(target.path, error);
        if (!list) {
            Log::format("Cannot navigate %s: %s", target.path.c_str(), error.c_str());
            return std::nullopt;
        }
        for (const WaypointPtr& waypoint : *list)
            if (waypoint && waypoint->wpName() == *target.waypoint) {
                request.m_waypoint = waypoint;
                return request;
            }
        Log::format(
            "Cannot navigate %s: it has no waypoint named \"%s\"", target.path.c_str(), target.waypoint->c_str());
        return std::nullopt;
    }
    if (target.join == target.index.has_value()) {
        refuse("a route needs either --index N or --join", target.path);
        return std::nullopt;
    }
    RoutePtr route = DocumentArchive::loadRoute(target.path, error);
    if (!route) {
        Log::format("Cannot navigate %s: %s", target.path.c_str(), error.c_str());
        return std::nullopt;
    }
    const auto count = static_cast<long long>(route->count());
    if (target.join && count < 2) {
        refuse("joining needs a route of at least two waypoints", target.path);
        return std::nullopt;
    }
    if (target.index && (*target.index < 0 || *target.index >= count)) {
        Log::format(
            "Cannot navigate %s: index %d is outside its %lld waypoints", target.path.c_str(), *target.index, count);
        return std::nullopt;
    }
    request.m_route = route;
    request.m_join = target.join;
    if (target.index) {
        request.m_index = *target.index;
        request.m_waypoint = route->waypointAtIndex(static_cast<size_t>(*target.index));
    }
    return request;
}

bool NavigationRequest::adopt(const RoutePtr& route, const WaypointList& waypoints)
{
    if (m_route) {
        if (!route || route->count() != m_route->count())
            return false;
        m_route = route;
        if (m_waypoint)
            m_waypoint = route->waypointAtIndex(static_cast<size_t>(m_index));
        return true;
    }
    for (const WaypointPtr& waypoint : waypoints) {
        if (waypoint && m_waypoint && waypoint->wpName() == m_waypoint->wpName()) {
            m_waypoint = waypoint;
            return true;
        }
    }
    return false;
}

void NavigationRequest::start(GPSController& controller, NotificationCenter& center, OwnerThread onOwner)
{
    if (controller.currentPos()) {
        activate(center);
        return;
    }
    // Waits for the first position; the observer goes after one activation.
    auto pending = std::make_shared<bool>(true);
    center.addObserver(
        this, TRVcpUpdated, [this, &center, pending, onOwner = std::move(onOwner)](const NotificationObject& object) {
            const GPSController* sender = object.sender<GPSController>();
            if (!*pending || !sender || !sender->currentPos())
                return;
            *pending = false;
            if (onOwner)
                onOwner([this, &center] { activate(center); });
            else
                activate(center);
        });
}

void NavigationRequest::stop(NotificationCenter& center)
{
    center.removeObserver(this);
}

void NavigationRequest::activate(NotificationCenter& center) const
{
    if (m_route) {
        // As the route document asks: the route at the index, then the
        // waypoint directly from the position; or the nearest leg.
        m_route->setActiveIndex(m_join ? static_cast<int32_t>(m_route->count()) : m_index);
        center.post(TRVRouteActivated, NotificationObject(m_route));
        if (!m_join)
            center.post(TRVWaypointActivated, NotificationObject(m_waypoint));
        return;
    }
    center.post(TRVWaypointActivated, NotificationObject(m_waypoint));
}

} // namespace navora
