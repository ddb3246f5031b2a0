#include "nav/ClockTime.h"

#include <charconv>
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
    // By hand where the parts are a clock's, as partsOf gives them: snprintf
    // costs more than the rest of the times' work.
    if (parts.minutes >= 0 && parts.minutes < 60 && parts.seconds >= 0 && parts.seconds < 60) {
        char out[24];
        char* end = std::to_chars(out, out + sizeof out, parts.hours).ptr;
        for (const int part : {parts.minutes, parts.seconds}) {
            *end++ = ':';
            *end++ = static_cast<char>('0' + part / 10);
            *end++ = static_cast<char>('0' + part % 10);
        }
        return std::string(out, end);
    }
    char out[48];
    std::snprintf(out, sizeof out, "%d:%02d:%02d", parts.hours, parts.minutes, parts.seconds);
    return out;
}

std::chrono::seconds ClockTime::duration(const Parts& parts)
{
    return std::chrono::seconds(3600LL * parts.hours + 60LL * parts.minutes + parts.seconds);
}

} // namespace navora
