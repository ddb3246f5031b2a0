#include "io/MemoryRouteDocument.h"

#include "model/DocumentTypes.h"

namespace navora {

MemoryRouteDocument::MemoryRouteDocument(RoutePtr route)
    : m_route(route ? std::move(route) : Route::create())
{
}

std::string_view MemoryRouteDocument::typeName() const
{
    return kRouteDocumentType.name;
}

std::string MemoryRouteDocument::displayName() const
{
    const auto& name = m_route->routeName();
    return name && !name->empty() ? *name : std::string("Untitled");
}

void MemoryRouteDocument::addWP(WaypointPtr waypoint)
{
    m_route->appendWaypoint(std::move(waypoint));
}

} // namespace navora
