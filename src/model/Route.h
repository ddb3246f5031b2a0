#pragma once

#include "model/Waypoint.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace navora {

using WaypointList = std::vector<WaypointPtr>;

// A named, ordered list of shared waypoints with the index of the waypoint
// that navigation currently leads to. The name is optional: a new route has
// none ("nil"), which the documents and logs show as such.
class Route {
public:
    Route() = default;

    static std::shared_ptr<Route> create();

    int32_t activeIndex() const { return m_activeIndex; }
    // Plain store: the index is not checked against the list.
    void setActiveIndex(int32_t activeIndex) { m_activeIndex = activeIndex; }

    const std::optional<std::string>& routeName() const { return m_routeName; }
    void setRouteName(std::optional<std::string> routeName) { m_routeName = std::move(routeName); }

    const WaypointList& routeWaypoints() const { return m_routeWaypoints; }
    void setRouteWaypoints(WaypointList routeWaypoints) { m_routeWaypoints = std::move(routeWaypoints); }

    size_t count() const { return m_routeWaypoints.size(); }
    void appendWaypoint(WaypointPtr waypoint);
    // Unchecked: the index must lie within the list.
    const WaypointPtr& waypointAtIndex(size_t index) const { return m_routeWaypoints[index]; }

    // The checked edits take the index as a signed number so that a negative
    // index is always refused. insertWaypoint accepts index == count (append).
    bool insertWaypoint(WaypointPtr waypoint, int64_t index);
    bool replaceWaypointAtIndex(int64_t index, WaypointPtr waypoint);
    bool deleteWaypointAtIndex(int64_t index);

    void clearAllWaypoints() { m_routeWaypoints.clear(); }
    // Reverses the order; the active index is left as it is.
    void reverseRoute();

    // Sum of the leg lengths, in nautical miles, from the waypoint at index to
    // the last waypoint (0 when index is at or past the last one).
    float distanceRemainingOnRouteFromIndex(int64_t index) const;

    // The route's name, or "(null)" when it has none.
    std::string description() const;

    // Archive fields: active index, name (or nil), waypoint list.
    void encodeWithCoder(ArchiveWriter& coder) const;
    // Returns an empty pointer (the reason left in the coder) when the data
    // does not hold a route.
    static std::shared_ptr<Route> initWithCoder(ArchiveReader& coder);

private:
    int32_t m_activeIndex = 0;
    std::optional<std::string> m_routeName;
    WaypointList m_routeWaypoints;
};

using RoutePtr = std::shared_ptr<Route>;

} // namespace navora
