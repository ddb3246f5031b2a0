#include "nav/RouteDrive.h"

#include <cmath>

namespace navora::test {

namespace {
constexpr double degreesPerNm = 1.0 / 60.0;
constexpr double radians = M_PI / 180.0;
} // namespace

RouteDrive::RouteDrive(double time, double latitude, double longitude)
    : m_time(time)
    , m_latitude(latitude)
    , m_longitude(longitude)
{
}

void RouteDrive::add(int mode, double speedKnots)
{
    m_epochs.push_back(
        {m_time, mode, m_latitude, m_longitude, 50.0, speedKnots, m_track, NmeaLog::satellitesFor(mode)});
    m_time += 1.0;
}

void RouteDrive::waitWithoutFix(int seconds)
{
    for (int i = 0; i < seconds; ++i)
        add(1, 0.0);
}

void RouteDrive::driveTo(double latitude, double longitude, double speedKnots)
{
    const double north = (latitude - m_latitude) / degreesPerNm;
    const double east = (longitude - m_longitude) * std::cos(m_latitude * radians) / degreesPerNm;
    const double track = std::fmod(std::atan2(east, north) / radians + 360.0, 360.0);
    driveOn(track, speedKnots, static_cast<int>(std::hypot(north, east) / (speedKnots / 3600.0)));
}

void RouteDrive::driveOn(double track, double speedKnots, int seconds)
{
    m_track = track;
    const double nm = speedKnots / 3600.0;
    for (int i = 0; i < seconds; ++i) {
        m_latitude += nm * std::cos(track * radians) * degreesPerNm;
        m_longitude += nm * std::sin(track * radians) * degreesPerNm / std::cos(m_latitude * radians);
        add(3, speedKnots);
    }
}

void RouteDrive::standStill(int seconds)
{
    for (int i = 0; i < seconds; ++i)
        add(3, 0.0);
}

} // namespace navora::test
