#include "nav/UtcTime.h"

#include <ctime>
#include <optional>

namespace navora {

namespace {

std::optional<std::tm> partsOf(std::chrono::sys_seconds instant)
{
    const std::time_t t = static_cast<std::time_t>(instant.time_since_epoch().count());
    std::tm parts{};
    if (!gmtime_r(&t, &parts))
        return std::nullopt;
    return parts;
}

} // namespace

std::string UtcTime::text(std::chrono::sys_seconds instant)
{
    const std::optional<std::tm> parts = partsOf(instant);
    char text[64] = {};
    return parts ? std::string(text, std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M:%S", &*parts)) : std::string();
}

std::string UtcTime::iso(std::chrono::sys_seconds instant)
{
    const std::optional<std::tm> parts = partsOf(instant);
    char text[64] = {};
    return parts ? std::string(text, std::strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%SZ", &*parts)) : std::string();
}

bool UtcTime::representable(double secondsSince1970)
{
    // 10000-01-01T00:00:00Z
    constexpr double endOfYear9999 = 253402300800.0;
    return secondsSince1970 >= 0.0 && secondsSince1970 < endOfYear9999;
}

} // namespace navora
