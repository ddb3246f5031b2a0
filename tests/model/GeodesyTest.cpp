#include "model/Geodesy.h"
#include "model/Waypoint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace navora {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

WaypointPtr at(float latitude, float longitude)
{
    return Waypoint::create("", "", latitude, longitude, 0.0f);
}

// bearingFromPoint: the receiver is the destination, the argument the start.
// Initial great-circle bearings, not reciprocal rhumb lines; always 0..360.
TEST(Geodesy, InitialGreatCircleBearing)
{
    const struct {
        const char* label;
        float fromLat, fromLon, toLat, toLon;
        float expected;
    } rows[] = {
        {"east along the equator", 0, 0, 0, 1, 90.0f},
        {"west along the equator", 0, 1, 0, 0, 270.0f},
        {"north along a meridian", 0, 0, 1, 0, 0.0f},
        {"south along a meridian", 1, 0, 0, 0, 180.0f},
        {"channel outbound", 50, -1, 51, 0, 32.0747f},
        {"channel inbound", 51, 0, 50, -1, 212.8463f},
        {"equal points", 10, 10, 10, 10, 0.0f},
        {"east across the date line", 0, 179.5f, 0, -179.5f, 90.0f},
    };
    for (const auto& row : rows)
        EXPECT_NEAR(at(row.toLat, row.toLon)->bearingFromPoint(*at(row.fromLat, row.fromLon)), row.expected, 0.00005f)
            << row.label;
    for (float lon = -180.0f; lon <= 180.0f; lon += 7.5f) {
        for (float lat = -89.0f; lat <= 89.0f; lat += 11.0f) {
            const float b = at(lat, lon)->bearingFromPoint(*at(12.0f, 34.0f));
            EXPECT_TRUE(b >= 0.0f && b <= 360.0f) << b;
        }
    }
}

TEST(Geodesy, DistanceIsOneArcMinutePerNauticalMileRoughly)
{
    const float d = at(1, 0)->distanceFromPoint(*at(0, 0));
    EXPECT_NEAR(d, 59.7f, 0.1f); // WGS84 meridian degree near the equator: 110.574 km
    EXPECT_FLOAT_EQ(at(0, 0)->distanceFromPoint(*at(0, 0)), 0.0f);
    EXPECT_FLOAT_EQ(at(0, 0)->distanceFromPoint(*at(1, 0)), d);
}

TEST(Geodesy, NearlyAntipodalPointsStillHaveADistance)
{
    // libgps's ellipsoidal iteration gives up on these; the sphere stands in.
    const float d = at(0, 0)->distanceFromPoint(*at(0.5f, 179.7f));
    ASSERT_FALSE(std::isnan(d));
    EXPECT_NEAR(d, 10800.0f - 35.0f, 15.0f);
    const float exact = at(0, 0)->distanceFromPoint(*at(0, 180));
    EXPECT_FALSE(std::isnan(exact));
    EXPECT_GT(exact, 10700.0f);
}

TEST(Geodesy, UnknownCoordinatesGiveNaN)
{
    const auto unknown = Waypoint::create();
    const auto known = at(10, 10);
    EXPECT_TRUE(std::isnan(known->distanceFromPoint(*unknown)));
    EXPECT_TRUE(std::isnan(unknown->distanceFromPoint(*known)));
    EXPECT_TRUE(std::isnan(known->bearingFromPoint(*unknown)));
    EXPECT_TRUE(std::isnan(unknown->bearingFromPoint(*known)));
    EXPECT_TRUE(std::isnan(at(10, kNaN)->nmOffsetFromGCFromPoint(*known, *at(11, 10))));
}

TEST(Geodesy, CrossTrackSignFollowsTheSideOfTravel)
{
    const auto a = at(0, 0);
    const auto north = at(1, 0);
    EXPECT_GT(at(0.5f, 0.1f)->nmOffsetFromGCFromPoint(*a, *north), 0.0f);
    EXPECT_LT(at(0.5f, -0.1f)->nmOffsetFromGCFromPoint(*a, *north), 0.0f);
    EXPECT_NEAR(at(0.5f, 0.0f)->nmOffsetFromGCFromPoint(*a, *north), 0.0f, 1e-3f);
    // Travelling south the sides swap.
    EXPECT_LT(at(0.5f, 0.1f)->nmOffsetFromGCFromPoint(*north, *a), 0.0f);
}

TEST(Geodesy, CrossTrackMeasuresFromTheWholeCircle)
{
    const auto a = at(0, 0);
    const auto b = at(0, 1);
    // 0.1 degree north of the equator is about 6 nm left of eastbound travel,
    // behind A and beyond B as well as beside the segment.
    for (const float lon : {-2.0f, 0.5f, 3.0f}) {
        const float xte = at(0.1f, lon)->nmOffsetFromGCFromPoint(*a, *b);
        EXPECT_NEAR(xte, -6.0f, 0.05f) << "longitude " << lon;
    }
}

TEST(Geodesy, SphericalDistanceMatchesTheEllipsoidRoughly)
{
    for (const float lon : {-1.0f, 10.0f}) {
        const double sphere = Geodesy::sphericalDistanceMetres(50, lon, 51, lon + 1);
        const double ellipsoid = static_cast<double>(at(50, lon)->distanceFromPoint(*at(51, lon + 1))) * 1852.0;
        EXPECT_NEAR(sphere / ellipsoid, 1.0, 0.005) << lon;
    }
}

} // namespace
} // namespace navora
