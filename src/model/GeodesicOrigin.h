#pragma once

namespace navora {

// Distances from one fixed position to many others, as Geodesy::distanceNm
// gives them, bit for bit: the same ellipsoidal iteration in the same order
// of operations, with the origin's reduced latitude worked out once instead
// of once per distance. The nearest-waypoints list orders a whole list by
// these figures and shows each one, so the two must never differ.
class GeodesicOrigin {
public:
    GeodesicOrigin(float latitude, float longitude);

    // Nautical miles from (latitude, longitude) to the origin; equals
    // Geodesy::distanceNm(latitude, longitude, origin latitude, origin
    // longitude). NaN when either position is unknown.
    float distanceNm(float latitude, float longitude) const;

private:
    double vincentyMetres(double latitude, double longitude) const;

    double m_latitude;
    double m_longitude;
    double m_sinReduced;
    double m_cosReduced;
};

} // namespace navora
