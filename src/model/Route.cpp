#include "model/Route.h"

#include "model/ArchiveFormat.h"
#include "model/ArchiveReader.h"
#include "model/ArchiveWriter.h"
#include "model/DocumentArchive.h"

#include <algorithm>

namespace navora {

std::shared_ptr<Route> Route::create()
{
    return std::make_shared<Route>();
}

void Route::appendWaypoint(WaypointPtr waypoint)
{
    m_routeWaypoints.push_back(std::move(waypoint));
}

bool Route::insertWaypoint(WaypointPtr waypoint, int64_t index)
{
    if (index < 0 || static_cast<uint64_t>(index) > m_routeWaypoints.size())
        return false;
    m_routeWaypoints.insert(m_routeWaypoints.begin() + index, std::move(waypoint));
    return true;
}

bool Route::replaceWaypointAtIndex(int64_t index, WaypointPtr waypoint)
{
    if (index < 0 || static_cast<uint64_t>(index) >= m_routeWaypoints.size())
        return false;
    m_routeWaypoints[static_cast<size_t>(index)] = std::move(waypoint);
    return true;
}

bool Route::deleteWaypointAtIndex(int64_t index)
{
    if (index < 0 || static_cast<uint64_t>(index) >= m_routeWaypoints.size())
        return false;
    m_routeWaypoints.erase(m_routeWaypoints.begin() + index);
    return true;
}

void Route::reverseRoute()
{
    std::reverse(m_routeWaypoints.begin(), m_routeWaypoints.end());
}

float Route::distanceRemainingOnRouteFromIndex(int64_t index) const
{
    float sum = 0.0f;
    const auto count = static_cast<int64_t>(m_routeWaypoints.size());
    for (int64_t i = std::max<int64_t>(index, 0); i < count - 1; ++i) {
        const auto at = static_cast<size_t>(i);
        sum += m_routeWaypoints[at]->distanceFromPoint(*m_routeWaypoints[at + 1]);
    }
    return sum;
}

std::string Route::description() const
{
    return m_routeName.value_or("(null)");
}

void Route::encodeWithCoder(ArchiveWriter& coder) const
{
    coder.beginObject(ArchiveFormat::kRouteClass, ArchiveFormat::kRouteFields);
    coder.encodeInt32(m_activeIndex);
    coder.encodeStringOrNil(m_routeName);
    DocumentArchive::writeWaypointList(coder, m_routeWaypoints);
    coder.endObject();
}

std::shared_ptr<Route> Route::initWithCoder(ArchiveReader& coder)
{
    int32_t activeIndex = 0;
    std::optional<std::string> routeName;
    if (!coder.beginObject(ArchiveFormat::kRouteClass, ArchiveFormat::kRouteFields) || !coder.decodeInt32(activeIndex)
        || !coder.decodeStringOrNil(routeName))
        return nullptr;
    auto routeWaypoints = DocumentArchive::readWaypointList(coder);
    if (!routeWaypoints || !coder.endObject())
        return nullptr;
    auto route = create();
    route->m_activeIndex = activeIndex;
    route->setRouteName(std::move(routeName));
    route->setRouteWaypoints(std::move(*routeWaypoints));
    return route;
}

} // namespace navora
