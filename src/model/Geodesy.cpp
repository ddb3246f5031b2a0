#include "model/Geodesy.h"

#include <gps.h>

#include <cmath>
#include <numbers>

namespace navora {

namespace {

// WGS84's mean radius, (2a + b) / 3, from libgps's own ellipsoid constants.
constexpr double kMeanEarthRadiusMetres = (2.0 * WGS84A + WGS84B) / 3.0;

float toRadians(float degrees)
{
    return static_cast<float>(static_cast<double>(degrees) * Geodesy::kDegreesToRadians);
}

} // namespace

double Geodesy::sphericalDistanceMetres(double lat1, double lon1, double lat2, double lon2)
{
    const double phi1 = lat1 * kDegreesToRadians;
    const double phi2 = lat2 * kDegreesToRadians;
    const double dPhi = phi2 - phi1;
    const double dLambda = (lon2 - lon1) * kDegreesToRadians;
    const double h = std::sin(dPhi / 2) * std::sin(dPhi / 2)
        + std::cos(phi1) * std::cos(phi2) * std::sin(dLambda / 2) * std::sin(dLambda / 2);
    return 2.0 * kMeanEarthRadiusMetres * std::asin(std::sqrt(std::fmin(1.0, h)));
}

float Geodesy::distanceNm(float lat1, float lon1, float lat2, float lon2)
{
    const double a1 = lat1, o1 = lon1, a2 = lat2, o2 = lon2;
    double metres = earth_distance(a1, o1, a2, o2);
    if (std::isnan(metres) && !std::isnan(a1) && !std::isnan(o1) && !std::isnan(a2) && !std::isnan(o2))
        metres = sphericalDistanceMetres(a1, o1, a2, o2);
    return static_cast<float>(metres / kMetresPerNauticalMile);
}

float Geodesy::bearing(float fromLat, float fromLon, float toLat, float toLon)
{
    const float phiS = toRadians(toLat);
    const float lambdaS = toRadians(toLon);
    const float phiP = toRadians(fromLat);
    const float lambdaP = toRadians(fromLon);
    const float dLambda = lambdaS - lambdaP;

    const double y = std::sin(double{dLambda}) * std::cos(double{phiS});
    const double x = std::cos(double{phiP}) * std::sin(double{phiS})
        - std::sin(double{phiP}) * std::cos(double{phiS}) * std::cos(double{dLambda});

    const float theta = static_cast<float>(std::atan2(y, x));
    float degrees = static_cast<float>(static_cast<double>(theta) * kRadiansToDegrees);
    while (degrees > 360.0f)
        degrees -= 360.0f;
    while (degrees < 0.0f)
        degrees += 360.0f;
    return degrees;
}

float Geodesy::crossTrackNm(float latA, float lonA, float latB, float lonB, float lat, float lon)
{
    const float d = distanceNm(lat, lon, latA, lonA);
    const float delta = static_cast<float>(static_cast<double>(d) * (std::numbers::pi / kArcMinutesPerPi));
    const float thetaAS = bearing(latA, lonA, lat, lon);
    const float thetaAB = bearing(latA, lonA, latB, lonB);
    const float dTheta = toRadians(thetaAS) - toRadians(thetaAB);
    const float dxt = static_cast<float>(std::asin(std::sin(double{delta}) * std::sin(double{dTheta})));
    return static_cast<float>(static_cast<double>(dxt) * (kArcMinutesPerPi / std::numbers::pi));
}

} // namespace navora
