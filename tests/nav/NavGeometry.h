#pragma once

#include <cmath>

namespace navora::test {

// The tests' own spherical geometry, independent of the engine's geodesy
// (which follows the ellipsoid): good to a few thousandths of a mile over
// the short legs used here.
struct NavGeometry {
    static constexpr double nm = 1.0 / 60.0; // degrees of latitude
    static constexpr double radians = 0.017453292519943295;

    struct Point {
        double lat;
        double lon;
    };

    // Miles north and east of a base point, on the flat local grid the
    // drives move on.
    static Point offset(const Point& base, double north, double east)
    {
        return {base.lat + north / 60.0, base.lon + east / 60.0 / std::cos(base.lat * radians)};
    }

    // Nautical miles between two points on a sphere of one minute per mile.
    static double distance(double lat1, double lon1, double lat2, double lon2)
    {
        const double p1 = lat1 * radians;
        const double p2 = lat2 * radians;
        const double dp = p2 - p1;
        const double dl = (lon2 - lon1) * radians;
        const double a
            = std::sin(dp / 2) * std::sin(dp / 2) + std::cos(p1) * std::cos(p2) * std::sin(dl / 2) * std::sin(dl / 2);
        return 2 * std::atan2(std::sqrt(a), std::sqrt(1 - a)) * 10800.0 / M_PI;
    }

    // Initial bearing, degrees 0 to 360.
    static double bearing(double lat1, double lon1, double lat2, double lon2)
    {
        const double p1 = lat1 * radians;
        const double p2 = lat2 * radians;
        const double dl = (lon2 - lon1) * radians;
        const double y = std::sin(dl) * std::cos(p2);
        const double x = std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl);
        const double b = std::atan2(y, x) / radians;
        return b < 0 ? b + 360.0 : b;
    }
};

} // namespace navora::test
