#include "model/TrackSimplifier.h"

#include <gtest/gtest.h>

#include <cmath>

namespace navora {
namespace {

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
    } rows[] = {
        {"a straight run", {{0, 0}, {0, kMile}, {0, 2 * kMile}, {0, 3 * kMile}}, {0, 3}},
        {"a right angle", {{0, 0}, {0, kMile}, {0, 2 * kMile}, {kMile, 2 * kMile}, {2 * kMile, 2 * kMile}}, {0, 2, 4}},
        {"a wobble inside", zigZag(3, 0.009), {0, 2}},
        {"a wobble beyond", zigZag(3, 0.011), {0, 1, 2}},
        {"across the 180th meridian", {{10, 179.99}, {10, 179.995}, {10, -179.995}, {10, -179.99}}, {0, 3}},
        {"one point", {{1, 1}}, {0}},
    };
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
