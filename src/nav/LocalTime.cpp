#include "nav/LocalTime.h"

#include <ctime>

namespace navora {

std::string LocalTime::text(std::chrono::sys_seconds instant)
{
    const std::time_t seconds = static_cast<std::time_t>(instant.time_since_epoch().count());
    std::tm local{};
    if (!localtime_r(&seconds, &local))
        return std::to_string(seconds);
    char out[64];
    const size_t length = std::strftime(out, sizeof out, "%Y-%m-%d %H:%M:%S %z", &local);
    return std::string(out, length);
}

} // namespace navora
