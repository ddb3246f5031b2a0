#include "io/ExportPoint.h"

#include "core/Log.h"
#include "model/NumberText.h"

#include <cmath>

namespace navora {

std::optional<ExportPoint> ExportPoint::from(const Waypoint& waypoint)
{
    WaypointSnapshot snapshot = waypoint.snapshot();
    if (!Waypoint::validLatitude(snapshot.latitude) || !Waypoint::validLongitude(snapshot.longitude)) {
        Log::format("waypoint %s has no position - skipping...", snapshot.wpName.c_str());
        return std::nullopt;
    }
    // An altitude beyond the float range reads as infinite: no file can
    // hold it either, so it is written as unknown.
    const bool knownAltitude = std::isfinite(snapshot.altitude);
    // The 180th meridian is written as -180: GPX takes longitudes below 180
    // only. The shortest form never rounds a value under 180 up to it.
    std::string longitude = snapshot.longitude == 180.0f ? NumberText::formatShortest(-180.0f)
                                                         : NumberText::formatShortest(snapshot.longitude);
    return ExportPoint{std::move(snapshot.wpName), std::move(snapshot.wpComment),
        NumberText::formatShortest(snapshot.latitude), std::move(longitude),
        NumberText::formatShortest(knownAltitude ? snapshot.altitude : 0.0f),
        knownAltitude && snapshot.altitude != 0.0f};
}

} // namespace navora
