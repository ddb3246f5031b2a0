#include "nav/UtcTime.h"

#include <ctime>
#include <optional>
#include <utility>

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

void putTwoDigits(char* out, unsigned value)
{
    out[0] = static_cast<char>('0' + value / 10);
    out[1] = static_cast<char>('0' + value % 10);
}

// The text of an instant in the years 1000 to 9999 without strftime, which
// consults the locale and time zone on every call: a report writes several.
std::optional<std::string> fourDigitYearText(std::chrono::sys_seconds instant)
{
    // 1000-01-01T00:00:00Z and 10000-01-01T00:00:00Z.
    constexpr long long startOfYear1000 = -30610224000LL;
    constexpr long long endOfYear9999 = 253402300800LL;
    const long long seconds = instant.time_since_epoch().count();
    if (seconds < startOfYear1000 || seconds >= endOfYear9999)
        return std::nullopt;
    const auto day = std::chrono::floor<std::chrono::days>(instant);
    const std::chrono::year_month_day date(day);
    const int year = static_cast<int>(date.year());
    const std::chrono::hh_mm_ss time(instant - day);
    std::string out = "0000-00-00 00:00:00";
    putTwoDigits(&out[0], static_cast<unsigned>(year / 100));
    putTwoDigits(&out[2], static_cast<unsigned>(year % 100));
    putTwoDigits(&out[5], static_cast<unsigned>(date.month()));
    putTwoDigits(&out[8], static_cast<unsigned>(date.day()));
    putTwoDigits(&out[11], static_cast<unsigned>(time.hours().count()));
    putTwoDigits(&out[14], static_cast<unsigned>(time.minutes().count()));
    putTwoDigits(&out[17], static_cast<unsigned>(time.seconds().count()));
    return out;
}

} // namespace

std::string UtcTime::text(std::chrono::sys_seconds instant)
{
    if (std::optional<std::string> fast = fourDigitYearText(instant))
        return std::move(*fast);
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
