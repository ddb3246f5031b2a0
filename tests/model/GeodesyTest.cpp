// Distances, bearings and cross-track offsets; a route's legs; a track
// thinned to a route. Expected figures from plain arithmetic: a minute of
// arc is about a nautical mile.
#include "model/Geodesy.h"
#include "model/GeodesicOrigin.h"
#include "model/Route.h"
#include "model/RouteLegs.h"
#include "model/TrackSimplifier.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

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
        float fromLat, fromLon, toLat, toLon;
        float expected;
    } rows[] = {{0, 0, 0, 1, 90.0f}, {0, 1, 0, 0, 270.0f}, {0, 0, 1, 0, 0.0f}, {1, 0, 0, 0, 180.0f},
        {50, -1, 51, 0, 32.0747f}, {51, 0, 50, -1, 212.8463f}, {10, 10, 10, 10, 0.0f},
        {0, 179.5f, 0, -179.5f, 90.0f}}; // east across the date line
    for (const auto& row : rows)
        EXPECT_NEAR(at(row.toLat, row.toLon)->bearingFromPoint(*at(row.fromLat, row.fromLon)), row.expected, 0.00005f)
            << row.fromLat << "," << row.fromLon << " to " << row.toLat << "," << row.toLon;
    for (float lon = -180.0f; lon <= 180.0f; lon += 7.5f) {
        for (float lat = -89.0f; lat <= 89.0f; lat += 11.0f) {
            const float b = at(lat, lon)->bearingFromPoint(*at(12.0f, 34.0f));
            EXPECT_TRUE(b >= 0.0f && b <= 360.0f) << b;
        }
    }
}

TEST(Geodesy, Distance)
{
    const float d = at(1, 0)->distanceFromPoint(*at(0, 0));
    EXPECT_NEAR(d, 59.7f, 0.1f); // WGS84 meridian degree near the equator: 110.574 km
    EXPECT_FLOAT_EQ(at(0, 0)->distanceFromPoint(*at(0, 0)), 0.0f);
    EXPECT_FLOAT_EQ(at(0, 0)->distanceFromPoint(*at(1, 0)), d);
    // libgps's ellipsoidal iteration gives up on nearly antipodal points; the sphere stands in.
    EXPECT_NEAR(at(0, 0)->distanceFromPoint(*at(0.5f, 179.7f)), 10800.0f - 35.0f, 15.0f);
    EXPECT_GT(at(0, 0)->distanceFromPoint(*at(0, 180)), 10700.0f);
    // The sphere alone, west and east of Greenwich.
    for (const float lon : {-1.0f, 10.0f}) {
        const double sphere = Geodesy::sphericalDistanceMetres(50, lon, 51, lon + 1);
        const double ellipsoid = static_cast<double>(at(50, lon)->distanceFromPoint(*at(51, lon + 1))) * 1852.0;
        EXPECT_NEAR(sphere / ellipsoid, 1.0, 0.005) << lon;
    }
    const auto unknown = Waypoint::create();
    const auto known = at(10, 10);
    for (const float value :
        {known->distanceFromPoint(*unknown), unknown->distanceFromPoint(*known), known->bearingFromPoint(*unknown),
            unknown->bearingFromPoint(*known), at(10, kNaN)->nmOffsetFromGCFromPoint(*known, *at(11, 10))})
        EXPECT_TRUE(std::isnan(value)) << value;
}

// The nearest list orders by one origin's figures and shows libgps's: they
// must agree to the last bit everywhere, the iteration's special cases (the
// same point, both on the equator, nearly antipodal) and unknown positions
// included.
TEST(Geodesy, DistancesFromAnOriginAreLibgpsFiguresBitForBit)
{
    const float origins[][2]
        = {{0, 0}, {47.55f, 9.68f}, {-33.9f, 151.2f}, {89.99f, -120}, {-90, 0}, {0, 180}, {12.345678f, -179.99f}};
    size_t compared = 0;
    for (const auto& [originLat, originLon] : origins) {
        const GeodesicOrigin origin(originLat, originLon);
        const auto originPoint = at(originLat, originLon);
        std::vector<std::pair<float, float>> points = {{originLat, originLon}, {-originLat, originLon + 180},
            {-originLat + 0.3f, originLon - 179.6f}, {0, originLon + 90}, {kNaN, 1}, {1, kNaN}};
        for (float lat = -90; lat <= 90; lat += 7.3f)
            for (float lon = -180; lon <= 180; lon += 11.7f)
                points.emplace_back(lat, lon);
        for (const auto& [lat, lon] : points) {
            const float expected = at(lat, lon)->distanceFromPoint(*originPoint);
            const float actual = at(lat, lon)->distanceFrom(origin);
            ++compared;
            if (std::isnan(expected))
                EXPECT_TRUE(std::isnan(actual)) << lat << "," << lon;
            else
                EXPECT_EQ(std::bit_cast<uint32_t>(actual), std::bit_cast<uint32_t>(expected))
                    << lat << "," << lon << " from " << originLat << "," << originLon << ": " << actual << " vs "
                    << expected;
        }
    }
    EXPECT_GT(compared, 5000u);
}

// Right of the direction of travel is positive; measured from the whole
// circle, behind A and beyond B as well as beside the segment.
TEST(Geodesy, CrossTrackFollowsTheSideOfTravel)
{
    const struct {
        float lat, lon;
        float fromLat, fromLon, toLat, toLon;
        float expected;
    } rows[] = {{0.5f, 0.1f, 0, 0, 1, 0, 6.0f}, {0.5f, -0.1f, 0, 0, 1, 0, -6.0f}, {0.5f, 0.0f, 0, 0, 1, 0, 0.0f},
        {0.5f, 0.1f, 1, 0, 0, 0, -6.0f}, {0.1f, -2.0f, 0, 0, 0, 1, -6.0f}, {0.1f, 0.5f, 0, 0, 0, 1, -6.0f},
        {0.1f, 3.0f, 0, 0, 0, 1, -6.0f}};
    for (const auto& row : rows)
        EXPECT_NEAR(
            at(row.lat, row.lon)->nmOffsetFromGCFromPoint(*at(row.fromLat, row.fromLon), *at(row.toLat, row.toLon)),
            row.expected, 0.05f)
            << row.lat << "," << row.lon << " from " << row.fromLat << "," << row.fromLon;
}

TEST(Route, RemainingDistanceSumsTheLegsAhead)
{
    auto route = Route::create();
    for (const float lon : {0.0f, 1.0f, 2.0f})
        route->appendWaypoint(at(0.0f, lon));
    const float leg = 60.11f; // a degree of the equator: 111.32 km
    const std::pair<int, float> rows[] = {{-1, 2 * leg}, {0, 2 * leg}, {1, leg}, {2, 0.0f}, {7, 0.0f}};
    for (const auto& [index, expected] : rows)
        EXPECT_NEAR(route->distanceRemainingOnRouteFromIndex(index), expected, expected / 6000) << index;
    EXPECT_EQ(Route().distanceRemainingOnRouteFromIndex(0), 0.0f);
}

TEST(RouteLegs, EachWaypointGetsTheLegThatEndsThereAndTheRunningTotal)
{
    // One degree east along the equator is 111.32 km on the ellipsoid, one
    // degree north from it 110.57 km; nautical miles of 1852 m.
    const WaypointList waypoints = {at(0, 0), at(0, 1), at(1, 1), at(1, 1), at(kNaN, kNaN), at(2, 1)};
    const struct {
        float distance;
        float course;
        float total;
    } expected[] = {{kNaN, kNaN, 0.0f}, {60.11f, 90.0f, 60.11f}, {59.70f, 0.0f, 119.81f},
        {0.0f, kNaN, 119.81f}, // no length, no course
        {kNaN, kNaN, 119.81f}, {kNaN, kNaN, 119.81f}}; // unknown legs add nothing
    const auto legs = RouteLegs::of(waypoints);
    ASSERT_EQ(legs.size(), std::size(expected));
    const auto same = [](float actual, float wanted, float tolerance) {
        return std::isnan(wanted) ? std::isnan(actual) : std::abs(actual - wanted) <= tolerance;
    };
    for (size_t i = 0; i < legs.size(); ++i)
        EXPECT_TRUE(same(legs[i].distanceNm, expected[i].distance, 0.02f)
            && same(legs[i].courseTrue, expected[i].course, 0.01f) && same(legs[i].totalNm, expected[i].total, 0.04f))
            << i << ": " << legs[i].distanceNm << " " << legs[i].courseTrue << " " << legs[i].totalNm;
    EXPECT_TRUE(RouteLegs::of({}).empty());
}

using Position = TrackSimplifier::Position;

// A minute of latitude is a nautical mile: offsets in miles north of a
// line along the equator read directly.
constexpr double kMile = 1.0 / 60.0;

std::vector<Position> zigZag(size_t points, double amplitudeNm)
{
    std::vector<Position> track;
    for (size_t i = 0; i < points; ++i)
        track.push_back({(i % 2 == 0 ? 0.0 : amplitudeNm) * kMile, static_cast<double>(i) * 0.1 * kMile});
    return track;
}

TEST(TrackSimplifier, KeepsWhatLiesBeyondTheTolerance)
{
    const struct {
        const char* what;
        std::vector<Position> track;
        std::vector<size_t> kept;
    } rows[] = {{"a straight run", {{0, 0}, {0, kMile}, {0, 2 * kMile}, {0, 3 * kMile}}, {0, 3}},
        {"a right angle", {{0, 0}, {0, kMile}, {0, 2 * kMile}, {kMile, 2 * kMile}, {2 * kMile, 2 * kMile}}, {0, 2, 4}},
        {"a wobble inside", zigZag(3, 0.009), {0, 2}}, {"a wobble beyond", zigZag(3, 0.011), {0, 1, 2}},
        {"across the 180th meridian", {{10, 179.99}, {10, 179.995}, {10, -179.995}, {10, -179.99}}, {0, 3}},
        {"one point", {{1, 1}}, {0}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const auto result = TrackSimplifier::simplify(row.track);
        EXPECT_EQ(result.kept, row.kept);
        EXPECT_EQ(result.toleranceNm, 0.01);
    }
}

TEST(TrackSimplifier, DoublesTheToleranceUntilTheLimitHolds)
{
    // Every other point of 1,001 lies 0.1 nm off the line: the first
    // tolerances keep them all.
    const auto track = zigZag(1001, 0.1);
    const auto result = TrackSimplifier::simplify(track, 0.01, 500);
    ASSERT_LE(result.kept.size(), 500u);
    EXPECT_GE(result.toleranceNm, 0.04);
    EXPECT_EQ(std::exp2(std::round(std::log2(result.toleranceNm / 0.01))), result.toleranceNm / 0.01);
    // Each dropped point within the tolerance of the kept line; near the
    // equator miles are minutes on both axes.
    for (size_t k = 1; k < result.kept.size(); ++k) {
        const Position& a = track[result.kept[k - 1]];
        const Position& b = track[result.kept[k]];
        for (size_t i = result.kept[k - 1] + 1; i < result.kept[k]; ++i) {
            const double t = (track[i].longitude - a.longitude) / (b.longitude - a.longitude);
            const double lineLatitude = a.latitude + t * (b.latitude - a.latitude);
            EXPECT_LE(std::abs(track[i].latitude - lineLatitude) / kMile, result.toleranceNm * 1.001) << i;
        }
    }
    EXPECT_NEAR(TrackSimplifier::distanceFromSegmentNm({0.05 * kMile, 0}, {0, 0}, {0, kMile}), 0.05, 1e-9);
}

} // namespace
} // namespace navora
