#pragma once

namespace navora {

// The great-circle computations behind Waypoint, on bare coordinates in
// degrees. Every step keeps the precision (float or double) in which the
// navigation figures have always been computed, because the last printed
// digits depend on it.
class Geodesy {
public:
    static constexpr double kDegreesToRadians = 0.017453292519943295;
    static constexpr double kRadiansToDegrees = 57.29577951308232;
    static constexpr double kMetresPerNauticalMile = 1852.0;
    static constexpr double kArcMinutesPerPi = 10800.0;

    // Distance in nautical miles from (lat1, lon1) to (lat2, lon2) along the
    // earth's surface, through libgps's earth_distance. Where that ellipsoidal
    // iteration fails (nearly antipodal points) the great circle on a sphere of
    // WGS84's mean radius stands in, so known points never give NaN.
    static float distanceNm(float lat1, float lon1, float lat2, float lon2);

    // Initial great-circle bearing in degrees (0..360 inclusive) leaving
    // (fromLat, fromLon) towards (toLat, toLon); equal points give 0.
    static float bearing(float fromLat, float fromLon, float toLat, float toLon);

    // Signed cross-track distance in nautical miles of (lat, lon) from the
    // great circle that starts at A and passes through B: positive to the right
    // of the direction of travel, negative to the left.
    static float crossTrackNm(float latA, float lonA, float latB, float lonB, float lat, float lon);

    // Great-circle distance in metres on the mean-radius sphere (haversine).
    static double sphericalDistanceMetres(double lat1, double lon1, double lat2, double lon2);
};

} // namespace navora
