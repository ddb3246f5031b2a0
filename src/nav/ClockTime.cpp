#include "nav/ClockTime.h"

#include <cmath>
#include <cstdio>

namespace navora {

ClockTime::Parts ClockTime::partsOf(float hours)
{
    if (!(hours >= 0.0f))
        return {};
    const float t = std::fmin(hours, maximumHours);
    const float h = std::floor(t);
    const float f = (t - h) * 60.0f;
    const float m = std::floor(f);
    const float s = std::floor((f - m) * 60.0f);
    return {static_cast<int>(h), static_cast<int>(m), static_cast<int>(s)};
}

std::string ClockTime::text(const Parts& parts)
{
    char out[48];
    std::snprintf(out, sizeof out, "%d:%02d:%02d", parts.hours, parts.minutes, parts.seconds);
    return out;
}

std::chrono::seconds ClockTime::duration(const Parts& parts)
{
    return std::chrono::seconds(3600LL * parts.hours + 60LL * parts.minutes + parts.seconds);
}

} // namespace navora
