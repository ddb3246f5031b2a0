#include "nav/TrackThinner.h"

#include "model/Geodesy.h"

#include <cmath>

namespace navora {

namespace {

double distanceNm(const TrackPoint& a, const TrackPoint& b)
{
    return Geodesy::distanceNm(static_cast<float>(a.latitude), static_cast<float>(a.longitude),
        static_cast<float>(b.latitude), static_cast<float>(b.longitude));
}

double courseFrom(const TrackPoint& a, const TrackPoint& b)
{
    return Geodesy::bearing(static_cast<float>(a.latitude), static_cast<float>(a.longitude),
        static_cast<float>(b.latitude), static_cast<float>(b.longitude));
}

// The angle between two courses, 0 to 180 degrees.
double turnBetween(double a, double b)
{
    const double difference = std::fmod(std::abs(a - b), 360.0);
    return difference > 180.0 ? 360.0 - difference : difference;
}

} // namespace

TrackThinner::Decision TrackThinner::take(const TrackPoint& point)
{
    if (m_lastSeen && point.time <= m_lastSeen->time)
        return Decision::Skip;
    const bool gap = m_lastSeen && point.time - m_lastSeen->time >= kGapSeconds;
    m_lastSeen = point;
    if (!m_lastKept || gap) {
        m_lastKept = point;
        m_lastCourse.reset();
        return gap ? Decision::StartNewTrack : Decision::Keep;
    }
    const double distance = distanceNm(*m_lastKept, point);
    const double course = courseFrom(*m_lastKept, point);
    const bool turned = distance >= kMovedNm && m_lastCourse && turnBetween(course, *m_lastCourse) >= kTurnDegrees;
    if (point.time - m_lastKept->time < kMinuteSeconds && distance < kDistanceNm && !turned)
        return Decision::Skip;
    // A course only where the boat has moved: standing still it means nothing.
    m_lastCourse = distance >= kMovedNm ? std::optional<double>(course) : std::nullopt;
    m_lastKept = point;
    return Decision::Keep;
}

} // namespace navora
