#include "model/GeodesicOrigin.h"

#include "model/Geodesy.h"

#include <gps.h>

#include <cmath>
#include <limits>

namespace navora {

namespace {

constexpr double kFlattening = 1 / WGS84F;
constexpr int kMaxIterations = 100;

// The reduced latitude's sine and cosine, as libgps works them out.
void reducedLatitude(double latitude, double& sine, double& cosine)
{
    const double reduced = std::atan((1 - kFlattening) * std::tan(latitude * DEG_2_RAD));
    sine = std::sin(reduced);
    cosine = std::cos(reduced);
}

} // namespace

GeodesicOrigin::GeodesicOrigin(float latitude, float longitude)
    : m_latitude(latitude)
    , m_longitude(longitude)
{
    reducedLatitude(m_latitude, m_sinReduced, m_cosReduced);
}

float GeodesicOrigin::distanceNm(float latitude, float longitude) const
{
    const double lat = latitude, lon = longitude;
    double metres = vincentyMetres(lat, lon);
    // Where the iteration fails (nearly antipodal points) the great circle
    // stands in, as in Geodesy::distanceNm.
    if (std::isnan(metres) && !std::isnan(lat) && !std::isnan(lon) && !std::isnan(m_latitude)
        && !std::isnan(m_longitude))
        metres = Geodesy::sphericalDistanceMetres(lat, lon, m_latitude, m_longitude);
    return static_cast<float>(metres / Geodesy::kMetresPerNauticalMile);
}

// Vincenty's inverse formula from (latitude, longitude) to the origin. Every
// product and sum is grouped exactly as libgps's earth_distance groups it:
// the figures must come out identical, not merely close.
double GeodesicOrigin::vincentyMetres(double latitude, double longitude) const
{
    const double lonDifference = (m_longitude - longitude) * DEG_2_RAD;
    double sinU1 = 0, cosU1 = 0;
    reducedLatitude(latitude, sinU1, cosU1);
    const double sinU2 = m_sinReduced, cosU2 = m_cosReduced;

    double lambda = lonDifference;
    double sinSigma = 0, cosSigma = 0, sigma = 0, cosSqAlpha = 0, cos2SigmaM = 0;
    int iterationsLeft = kMaxIterations;
    double previousLambda = 0;
    do {
        const double sinLambda = std::sin(lambda);
        const double cosLambda = std::cos(lambda);
        const double across = cosU2 * sinLambda;
        const double along = cosU1 * sinU2 - sinU1 * cosU2 * cosLambda;
        sinSigma = std::sqrt(across * across + along * along);
        if (sinSigma == 0)
            return 0; // the same point
        cosSigma = sinU1 * sinU2 + cosU1 * cosU2 * cosLambda;
        sigma = std::atan2(sinSigma, cosSigma);
        const double sinAlpha = cosU1 * cosU2 * sinLambda / sinSigma;
        cosSqAlpha = 1 - sinAlpha * sinAlpha;
        cos2SigmaM = cosSigma - 2 * sinU1 * sinU2 / cosSqAlpha;
        if (!std::isfinite(cos2SigmaM))
            cos2SigmaM = 0; // both points on the equator
        const double c = kFlattening / 16 * cosSqAlpha * (4 + kFlattening * (4 - 3 * cosSqAlpha));
        previousLambda = lambda;
        lambda = lonDifference
            + (1 - c) * kFlattening * sinAlpha
                * (sigma + c * sinSigma * (cos2SigmaM + c * cosSigma * (2 * cos2SigmaM * cos2SigmaM - 1)));
    } while (std::fabs(lambda - previousLambda) > 1.0e-12 && 0 < --iterationsLeft);
    if (iterationsLeft == 0)
        return std::numeric_limits<double>::quiet_NaN();

    const double uSq = cosSqAlpha * ((WGS84A * WGS84A) - (WGS84B * WGS84B)) / (WGS84B * WGS84B);
    const double a = 1 + uSq / 16384 * (4096 + uSq * (-768 + uSq * (320 - 175 * uSq)));
    const double b = uSq / 1024 * (256 + uSq * (-128 + uSq * (74 - 47 * uSq)));
    const double deltaSigma = b * sinSigma
        * (cos2SigmaM
            + b / 4
                * (cosSigma * (-1 + 2 * cos2SigmaM * cos2SigmaM)
                    - b / 6 * cos2SigmaM * (-3 + 4 * sinSigma * sinSigma) * (-3 + 4 * cos2SigmaM * cos2SigmaM)));
    return WGS84B * a * (sigma - deltaSigma);
}

} // namespace navora
