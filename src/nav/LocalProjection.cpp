#include "nav/LocalProjection.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace navora {

namespace {

constexpr double kRadians = std::numbers::pi / 180.0;
// A nautical mile is a minute of arc of the sphere.
constexpr double kNmPerRadian = 60.0 * 180.0 / std::numbers::pi;

} // namespace

LocalProjection::LocalProjection(double centreLatitude, double centreLongitude)
    : m_sinLat(std::sin(centreLatitude * kRadians))
    , m_cosLat(std::cos(centreLatitude * kRadians))
    , m_longitude(centreLongitude)
{
}

LocalProjection::Point LocalProjection::project(double latitude, double longitude) const
{
    const double phi = latitude * kRadians;
    const double dLambda = (longitude - m_longitude) * kRadians;
    const double sinPhi = std::sin(phi);
    const double cosPhi = std::cos(phi);
    const double cosDLambda = std::cos(dLambda);
    // The angle at the Earth's centre, and the direction from the centre.
    const double cosC = std::clamp(m_sinLat * sinPhi + m_cosLat * cosPhi * cosDLambda, -1.0, 1.0);
    const double c = std::acos(cosC);
    const double east = cosPhi * std::sin(dLambda);
    const double north = m_cosLat * sinPhi - m_sinLat * cosPhi * cosDLambda;
    const double length = std::hypot(east, north);
    if (length < 1e-15)
        return {0.0, 0.0};
    const double scale = c * kNmPerRadian / length;
    return {east * scale, north * scale};
}

} // namespace navora
