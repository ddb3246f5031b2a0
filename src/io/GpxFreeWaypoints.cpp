#include "io/GpxFreeWaypoints.h"

#include "io/ExchangeDocument.h"

#include "core/Log.h"

#include <cstdio>

namespace navora {

void GpxFreeWaypoints::take(GpxPointReader::Point&& point, size_t index)
{
    // The file is being read again from its start.
    if (index == 0) {
        m_made.clear();
        m_leftOut.clear();
    }
    std::string name;
    if (point.name) {
        name = std::move(*point.name);
    } else {
        char madeUp[32];
        std::snprintf(madeUp, sizeof madeUp, "WPT%03zu", index + 1);
        name = madeUp;
    }
    if (!point.hasPosition()) {
        m_made.push_back(nullptr);
        m_leftOut.push_back("waypoint " + name + " has no usable position (lat \"" + point.latitudeText + "\", lon \""
            + point.longitudeText + "\") - skipping...");
        return;
    }
    m_made.push_back(Waypoint::create(std::move(name), std::move(point.comment).value_or(std::string()),
        *point.latitude, *point.longitude, point.elevation.value_or(0.0f)));
}

size_t GpxFreeWaypoints::addTo(ExchangeDocument& document)
{
    size_t added = 0;
    size_t leftOut = 0;
    for (; !m_made.empty(); m_made.pop_front()) {
        WaypointPtr& waypoint = m_made.front();
        if (!waypoint) {
            Log::line(m_leftOut[leftOut++]);
            continue;
        }
        document.addWP(std::move(waypoint));
        ++added;
    }
    m_made = {};
    m_leftOut = {};
    return added;
}

} // namespace navora
