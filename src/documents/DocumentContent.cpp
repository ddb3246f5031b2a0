#include "documents/DocumentContent.h"

#include <cmath>

namespace navora {

namespace {

bool sameNumber(float a, float b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

bool sameFields(const WaypointSnapshot& a, const WaypointSnapshot& b)
{
    return a.wpName == b.wpName && a.wpComment == b.wpComment && sameNumber(a.latitude, b.latitude)
        && sameNumber(a.longitude, b.longitude) && sameNumber(a.altitude, b.altitude);
}

} // namespace

DocumentContent::Values DocumentContent::valuesOf(const WaypointList& waypoints)
{
    Values values;
    values.reserve(waypoints.size());
    for (const WaypointPtr& waypoint : waypoints) {
        if (waypoint)
            values.emplace_back(waypoint, waypoint->snapshot());
    }
    return values;
}

void DocumentContent::restoreValues(const Values& values)
{
    for (const auto& [waypoint, fields] : values) {
        waypoint->setWpName(fields.wpName);
        waypoint->setPosition(fields.latitude, fields.longitude, fields.altitude, fields.wpComment);
    }
}

bool DocumentContent::operator==(const DocumentContent& other) const
{
    if (waypoints != other.waypoints || routeName != other.routeName || values.size() != other.values.size())
        return false;
    for (size_t i = 0; i < values.size(); ++i) {
        if (values[i].first != other.values[i].first || !sameFields(values[i].second, other.values[i].second))
            return false;
    }
    return true;
}

} // namespace navora
