#include "nav/TrackThinner.h"

#include <gtest/gtest.h>

namespace navora {
namespace {

using Decision = TrackThinner::Decision;

// A minute of latitude (or of longitude on the equator) is a nautical mile.
constexpr double kMile = 1.0 / 60.0;

TEST(TrackThinner, KeepsAMinuteADistanceOrATurn)
{
    const struct {
        const char* what;
        double time;
        double northNm;
        double eastNm;
        Decision decision;
    } rows[] = {
        {"the first fix", 0, 0, 0, Decision::Keep},
        {"the same fix time again", 0, 0.1, 0, Decision::Skip},
        {"0.01 nm on", 1, 0.01, 0, Decision::Skip},
        {"0.06 nm from the last kept", 2, 0.06, 0, Decision::Keep},
        {"straight on", 3, 0.07, 0, Decision::Skip},
        {"a turn of 90 degrees after 0.02 nm", 4, 0.06, 0.02, Decision::Keep},
        {"5 m on: jitter, not a turn", 5, 0.0627, 0.02, Decision::Skip},
        {"a minute after the last kept", 64, 0.0627, 0.02, Decision::Keep},
        {"an earlier fix time", 63, 1, 1, Decision::Skip},
        {"after ten minutes without a fix", 664, 0.07, 0.02, Decision::StartNewTrack},
        {"the new track's first leg", 665, 0.08, 0.02, Decision::Skip},
    };
    TrackThinner thinner;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(thinner.take({row.time, row.northNm * kMile, row.eastNm * kMile, 0.0, 0.0}), row.decision);
    }
}

TEST(TrackThinner, ADayAtSeaStaysUnderAMegabyte)
{
    // 24 knots north for a day, a fix a second: a point every 0.05 nm.
    TrackThinner thinner;
    size_t kept = 0;
    for (int second = 0; second < 86400; ++second) {
        const double north = 24.0 * second / 3600.0;
        if (thinner.take({1.7e9 + second, -80.0 + north * kMile, 5.0, 0.0, 12.3}) != Decision::Skip)
            ++kept;
    }
    EXPECT_LT(kept * sizeof(TrackPoint), 1'000'000u);
    EXPECT_GT(kept, 86400u / 60u); // at least a point a minute
}

} // namespace
} // namespace navora
