#pragma once

#include "io/ExchangeDocument.h"

#include <string>

namespace navora {

// A route without a window, for the command-line conversion and the tests.
class MemoryRouteDocument : public ExchangeDocument {
public:
    explicit MemoryRouteDocument(RoutePtr route = Route::create());

    std::string_view typeName() const override;
    // The route's name when it has a non-empty one, else "Untitled".
    std::string displayName() const override;
    // Appends to the route.
    void addWP(WaypointPtr waypoint) override;
    // Marks the document edited.
    void refresh() override { ++m_changeCount; }
    RoutePtr route() const override { return m_route; }
    const WaypointList& waypointList() const override { return m_route->routeWaypoints(); }

    int changeCount() const { return m_changeCount; }

private:
    RoutePtr m_route;
    int m_changeCount = 0;
};

} // namespace navora
