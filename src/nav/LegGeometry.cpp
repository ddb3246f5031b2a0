#include "nav/LegGeometry.h"

#include "model/Waypoint.h"

#include <algorithm>
#include <cmath>

namespace navora {

namespace {

constexpr double radiansPerDegree = 0.017453292519943295;
// Nautical miles per radian on the sphere of one arc minute per mile.
constexpr double milesPerRadian = 10800.0 / M_PI;

struct Vector {
    double x;
    double y;
    double z;
};

Vector unitVector(const Waypoint& w)
{
    const double lat = w.latitude() * radiansPerDegree;
    const double lon = w.longitude() * radiansPerDegree;
    return {std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
}

double dot(const Vector& a, const Vector& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vector cross(const Vector& a, const Vector& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double length(const Vector& v)
{
    return std::sqrt(dot(v, v));
}

Vector scaled(const Vector& v, double factor)
{
    return {v.x * factor, v.y * factor, v.z * factor};
}

Vector minus(const Vector& a, const Vector& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

// The angle between two unit vectors, steady for small and large angles.
double angle(const Vector& a, const Vector& b)
{
    return std::atan2(length(cross(a, b)), dot(a, b));
}

// The direction of the great circle from 'from' towards 'to', as a unit
// vector in the plane tangent to the sphere at 'from'.
Vector directionAt(const Vector& from, const Vector& to)
{
    const Vector tangent = minus(to, scaled(from, dot(from, to)));
    const double size = length(tangent);
    return size > 0.0 ? scaled(tangent, 1.0 / size) : Vector{0.0, 0.0, 0.0};
}

} // namespace

bool LegGeometry::knownPosition(const Waypoint& w)
{
    return std::isfinite(w.latitude()) && std::isfinite(w.longitude());
}

bool LegGeometry::samePlace(const Waypoint& a, const Waypoint& b)
{
    if (!knownPosition(a) || !knownPosition(b))
        return false;
    return angle(unitVector(a), unitVector(b)) * milesPerRadian <= samePlaceNm;
}

double LegGeometry::alongTrackNm(const Waypoint& position, const Waypoint& start, const Waypoint& end)
{
    const Vector p = unitVector(position);
    const Vector a = unitVector(start);
    const Vector b = unitVector(end);
    const Vector pole = cross(a, b);
    const double poleSize = length(pole);
    if (!(poleSize > 0.0))
        return angle(a, p) * milesPerRadian;
    // The foot of the position on the great circle through start and end.
    const Vector normal = scaled(pole, 1.0 / poleSize);
    const Vector foot = minus(p, scaled(normal, dot(p, normal)));
    const double footSize = length(foot);
    if (!(footSize > 0.0))
        return 0.0;
    const Vector onCircle = scaled(foot, 1.0 / footSize);
    const double sign = dot(cross(a, onCircle), normal) < 0.0 ? -1.0 : 1.0;
    return sign * angle(a, onCircle) * milesPerRadian;
}

double LegGeometry::segmentDistanceNm(const Waypoint& position, const Waypoint& start, const Waypoint& end)
{
    const Vector p = unitVector(position);
    const Vector a = unitVector(start);
    const Vector b = unitVector(end);
    const double toStart = angle(a, p) * milesPerRadian;
    const double toEnd = angle(b, p) * milesPerRadian;
    const double legLength = angle(a, b) * milesPerRadian;
    const double along = alongTrackNm(position, start, end);
    if (!(legLength > samePlaceNm) || along <= 0.0 || along >= legLength)
        return std::min(toStart, toEnd);
    const Vector pole = cross(a, b);
    const double offset = std::asin(std::clamp(dot(p, scaled(pole, 1.0 / length(pole))), -1.0, 1.0));
    return std::fabs(offset) * milesPerRadian;
}

bool LegGeometry::beyondTurn(
    const Waypoint& position, const Waypoint& previous, const Waypoint& mark, const Waypoint& next)
{
    const Vector m = unitVector(mark);
    const Vector back = directionAt(m, unitVector(previous));
    const Vector on = directionAt(m, unitVector(next));
    const Vector towardsPosition = directionAt(m, unitVector(position));
    // Across the halving line: nearer in direction to the next leg than to
    // the leg just sailed. At the mark itself the turn counts as made.
    return dot(towardsPosition, minus(back, on)) <= 0.0;
}

} // namespace navora
