#pragma once

#include <chrono>
#include <string>

namespace navora {

// Texts of instants in UTC, independent of the process's time zone.
class UtcTime {
public:
    // "%Y-%m-%d %H:%M:%S", as fix and arrival times are shown.
    static std::string text(std::chrono::sys_seconds instant);
    // ISO 8601 with a Z: "2024-05-01T12:00:00Z".
    static std::string iso(std::chrono::sys_seconds instant);

    // True for seconds since 1970 that name an instant from 1970 to the end
    // of the year 9999, which is what a fix time can be.
    static bool representable(double secondsSince1970);
};

} // namespace navora
