#include "gps/NmeaLog.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <fstream>

namespace navora::test {

namespace {

__attribute__((format(printf, 1, 2))) std::string format(const char* pattern, ...)
{
    char text[256];
    va_list values;
    va_start(values, pattern);
    std::vsnprintf(text, sizeof(text), pattern, values);
    va_end(values);
    return text;
}

std::string angle(double degrees, bool latitude)
{
    const double magnitude = std::fabs(degrees);
    const int whole = static_cast<int>(magnitude);
    const char hemisphere = latitude ? (degrees < 0 ? 'S' : 'N') : (degrees < 0 ? 'W' : 'E');
    return format(latitude ? "%02d%07.4f,%c" : "%03d%07.4f,%c", whole, (magnitude - whole) * 60.0, hemisphere);
}

std::string sentence(const std::string& body)
{
    unsigned char sum = 0;
    for (const char c : body)
        sum ^= static_cast<unsigned char>(c);
    // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on "$" + std::string.
    return std::string(1, '$').append(body).append(format("*%02X\r\n", static_cast<unsigned>(sum)));
}

std::string sentencesOf(const NmeaLog::Epoch& e)
{
    const auto whole = static_cast<std::time_t>(std::floor(e.time));
    std::tm t{};
    gmtime_r(&whole, &t);
    const int hundredths = static_cast<int>(std::lround((e.time - std::floor(e.time)) * 100.0)) % 100;
    const std::string clock = format("%02d%02d%02d.%02d", t.tm_hour, t.tm_min, t.tm_sec, hundredths);
    const std::string date = format("%02d%02d%02d", t.tm_mday, t.tm_mon + 1, t.tm_year % 100);
    const bool fix = e.mode >= 2;
    const std::string position = angle(e.latitude, true) + "," + angle(e.longitude, false);
    std::string out;
    if (fix) {
        out = sentence(
                  "GPRMC," + clock + ",A," + position + format(",%.1f,%.1f,", e.speedKnots, e.track) + date + ",,,A")
            + sentence("GPGGA," + clock + "," + position + ",1,12,0.9,"
                + (e.mode == 3 ? format("%.1f,M,46.9,M", e.altitude) : std::string(",M,,M")) + ",,");
    } else {
        out = sentence("GPRMC," + clock + ",V,,,,,,," + date + ",,,N")
            + sentence("GPGGA," + clock + ",,,,,0,00,,,M,,M,,");
    }
    std::string used;
    int listed = 0;
    for (const NmeaLog::Satellite& s : e.satellites) {
        if (s.used && listed < 12) {
            used += format("%02d,", s.prn);
            ++listed;
        }
    }
    used.append(static_cast<size_t>(12 - listed), ',');
    out += sentence(format("GPGSA,A,%d,", e.mode) + used + (fix ? "1.5,0.9,1.2" : ",,"));
    const int count = static_cast<int>(e.satellites.size());
    const int sentences = (count + 3) / 4;
    for (int n = 0; n < sentences; ++n) {
        std::string body = format("GPGSV,%d,%d,%02d", sentences, n + 1, count);
        for (int i = n * 4; i < std::min(count, n * 4 + 4); ++i) {
            const NmeaLog::Satellite& s = e.satellites[static_cast<size_t>(i)];
            body += format(",%02d,%02d,%03d,%02d", s.prn, s.elevation, s.azimuth, s.snr);
        }
        out += sentence(body);
    }
    return out;
}

} // namespace

std::vector<NmeaLog::Satellite> NmeaLog::satellitesFor(int mode)
{
    std::vector<Satellite> satellites;
    for (int i = 0; i < 14; ++i)
        satellites.push_back({i * 2 + 1, 10 + i * 5, (i * 25) % 360, 20 + i, mode >= 2 && i < 12});
    return satellites;
}

void NmeaLog::write(const std::vector<Epoch>& epochs, const std::string& path)
{
    std::ofstream file(path, std::ios::binary);
    for (const Epoch& epoch : epochs)
        file << sentencesOf(epoch);
}

} // namespace navora::test
