#include "gps/LetterReply.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace navora {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    while (true) {
        const size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

std::vector<std::string_view> words(std::string_view text)
{
    std::vector<std::string_view> result;
    for (std::string_view word : split(text, ' ')) {
        if (!word.empty())
            result.push_back(word);
    }
    return result;
}

// A number of the reply: "?" is unknown (NaN); anything unreadable is nullopt.
std::optional<double> number(std::string_view word)
{
    if (word == "?")
        return GPSRecord::unknown;
    double value = 0.0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size())
        return std::nullopt;
    return value;
}

std::optional<int> integer(std::string_view word)
{
    int value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size())
        return std::nullopt;
    return value;
}

} // namespace

bool LetterReply::apply(std::string_view line, GPSRecord& record)
{
    std::vector<std::string_view> items = split(line, ',');
    if (items.front() != "GPSD")
        return false;
    bool good = true;
    for (size_t i = 1; i < items.size(); ++i) {
        const std::string_view item = items[i];
        if (item.size() < 2 || item[1] != '=') {
            good = false;
            continue;
        }
        const std::string_view value = item.substr(2);
        switch (item[0]) {
        case 'O':
            good = applyFix(value, record) && good;
            break;
        case 'M':
            good = applyMode(value, record) && good;
            break;
        case 'Y':
            good = applySatellites(value, record) && good;
            break;
        case 'X':
            good = applyOnline(value, record) && good;
            break;
        default:
            break;
        }
    }
    return good;
}

bool LetterReply::applyFix(std::string_view value, GPSRecord& record)
{
    if (value == "?") {
        // No fix: the position is gone, the receiver is there.
        record.fix = GPSRecord::Fix{};
        record.fix.mode = 1;
        return true;
    }
    // tag time ept lat lon alt eph epv track speed climb [epd eps epc [mode]]
    const std::vector<std::string_view> w = words(value);
    if (w.size() < 11)
        return false;
    std::array<double, 10> v{};
    for (size_t i = 0; i < v.size(); ++i) {
        const std::optional<double> parsed = number(w[i + 1]);
        if (!parsed)
            return false;
        v[i] = *parsed;
    }
    GPSRecord::Fix fix;
    fix.mode = record.fix.mode;
    fix.time = v[0];
    fix.latitude = v[2];
    fix.longitude = v[3];
    fix.altitude = v[4];
    fix.eph = v[5];
    fix.epv = v[6];
    fix.track = v[7];
    fix.speed = v[8];
    fix.climb = v[9];
    if (w.size() >= 15) {
        const std::optional<int> mode = integer(w[14]);
        if (!mode)
            return false;
        fix.mode = *mode;
    }
    record.fix = fix;
    return true;
}

bool LetterReply::applyMode(std::string_view value, GPSRecord& record)
{
    if (value == "?") {
        record.fix.mode = 0;
        return true;
    }
    const std::optional<int> mode = integer(value);
    if (!mode)
        return false;
    record.fix.mode = *mode;
    return true;
}

bool LetterReply::applySatellites(std::string_view value, GPSRecord& record)
{
    if (value == "?") {
        record.satellites = 0;
        return true;
    }
    // tag time count:PRN elevation azimuth ss used:PRN ...:
    const std::vector<std::string_view> entries = split(value, ':');
    const std::vector<std::string_view> head = words(entries.front());
    if (head.size() < 3)
        return false;
    const std::optional<int> count = integer(head[2]);
    if (!count || *count < 0)
        return false;
    bool good = true;
    int taken = 0;
    for (size_t i = 1; i < entries.size() && taken < *count && taken < GPSRecord::channelCount; ++i) {
        const std::vector<std::string_view> w = words(entries[i]);
        if (w.empty())
            continue;
        std::optional<int> prn = w.size() == 5 ? integer(w[0]) : std::nullopt;
        std::optional<int> ss = w.size() == 5 ? integer(w[3]) : std::nullopt;
        std::optional<int> used = w.size() == 5 ? integer(w[4]) : std::nullopt;
        if (!prn || !ss || !used) {
            good = false;
            continue;
        }
        record.channels[static_cast<size_t>(taken)] = {*prn, *ss, *used};
        ++taken;
    }
    record.satellites = taken;
    return good && taken == std::min(*count, GPSRecord::channelCount);
}

bool LetterReply::applyOnline(std::string_view value, GPSRecord& record)
{
    const std::optional<double> online = number(value);
    if (!online)
        return false;
    // An unknown state counts as on line, as the fix display reads it.
    record.online = *online;
    return true;
}

} // namespace navora
