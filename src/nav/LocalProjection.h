#pragma once

namespace navora {

// A flat picture of the Earth around a centre for the plot: the azimuthal
// equidistant projection on a sphere, in nautical miles east and north of
// the centre. Distances and directions from the centre are true, and it
// holds near the poles and across the 180th meridian, where a plain
// latitude/longitude grid breaks.
class LocalProjection {
public:
    struct Point {
        double east;
        double north;
    };

    LocalProjection(double centreLatitude, double centreLongitude);

    Point project(double latitude, double longitude) const;

private:
    double m_sinLat;
    double m_cosLat;
    double m_longitude;
};

} // namespace navora
