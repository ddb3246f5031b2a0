#pragma once

#include "model/Waypoint.h"

#include <optional>
#include <string>

namespace navora {

// One waypoint as the exports write it: read as one consistent snapshot,
// numbers in the shortest form that reads back as the stored float (full
// stop, no exponent, whatever the locale), the 180th meridian as -180
// (GPX allows no longitude of 180), an unknown (or infinite) altitude as 0.
struct ExportPoint {
    std::string name;
    std::string comment;
    std::string latitude;
    std::string longitude;
    std::string altitude;
    // Known, and other than 0.
    bool hasAltitude;

    // nullopt, with a log line, for a waypoint whose latitude or longitude
    // is unknown: no file format can hold it as a point.
    static std::optional<ExportPoint> from(const Waypoint& waypoint);
};

} // namespace navora
