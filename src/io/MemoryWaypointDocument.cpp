#include "io/MemoryWaypointDocument.h"

#include "io/WaypointListOrder.h"

#include "core/Log.h"
#include "model/DocumentTypes.h"

namespace navora {

MemoryWaypointDocument::MemoryWaypointDocument(std::string displayName, WaypointList waypointList)
    : m_displayName(std::move(displayName))
    , m_waypointList(std::move(waypointList))
{
}

std::string_view MemoryWaypointDocument::typeName() const
{
    return kWaypointsDocumentType.name;
}

void MemoryWaypointDocument::addWP(WaypointPtr waypoint)
{
    m_waypointList.push_back(std::move(waypoint));
}

void MemoryWaypointDocument::refresh()
{
    WaypointListOrder::tidyAfterImport(m_waypointList);
    ++m_changeCount;
}

} // namespace navora
