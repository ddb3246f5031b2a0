// Where a position lies along and beside a leg, and on which side of a turn,
// against the tests' own spherical geometry: on the equator, near a pole and
// across the 180th meridian. The local plane; the thinning of a track.
#include "nav/NavGeometry.h"

#include "nav/LegGeometry.h"
#include "nav/LocalProjection.h"
#include "nav/TrackThinner.h"

#include "model/Waypoint.h"

#include <gtest/gtest.h>

#include <cmath>

namespace navora::test {
namespace {

using Point = NavGeometry::Point;
constexpr double nm = NavGeometry::nm;

WaypointPtr at(const Point& p)
{
    return Waypoint::create("", "", static_cast<float>(p.lat), static_cast<float>(p.lon), 0.0f);
}

TEST(LegGeometry, AlongAndBesideALegAnywhere)
{
    struct Row {
        const char* name;
        Point a, b, p;
        // The expected distance to the segment: 'x' cross-track, 's' to the start, 'e' to the end.
        char nearest;
    };
    const Row rows[] = {
        {"beside the middle, equator", {0, 0}, {0, 1}, {0.1, 0.5}, 'x'},
        {"before the start", {0, 0}, {0, 1}, {0.05, -0.3}, 's'},
        {"beyond the end", {0, 0}, {0, 1}, {-0.05, 1.4}, 'e'},
        {"near the north pole", {89.5, 0}, {89.5, 90}, {89.8, 40}, 'x'},
        {"across the 180th meridian", {10, 179.6}, {10.2, -179.7}, {10.0, -179.9}, 'x'},
        {"across it, beyond the end", {10, 179.6}, {10.2, -179.7}, {10.3, -179.2}, 'e'},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const WaypointPtr a = at(row.a), b = at(row.b), p = at(row.p);
        // The waypoints hold floats: measure from what they hold. The
        // textbook spherical along- and cross-track formulas.
        const Point fa{a->latitude(), a->longitude()}, fb{b->latitude(), b->longitude()};
        const Point fp{p->latitude(), p->longitude()};
        const double d13 = NavGeometry::distance(fa.lat, fa.lon, fp.lat, fp.lon) / 10800.0 * M_PI;
        const double angle = (NavGeometry::bearing(fa.lat, fa.lon, fp.lat, fp.lon)
                                 - NavGeometry::bearing(fa.lat, fa.lon, fb.lat, fb.lon))
            * NavGeometry::radians;
        const double cross = std::asin(std::sin(d13) * std::sin(angle));
        const double along
            = (std::cos(angle) < 0 ? -1 : 1) * std::acos(std::cos(d13) / std::cos(cross)) * 10800.0 / M_PI;
        EXPECT_NEAR(LegGeometry::alongTrackNm(*p, *a, *b), along, 1e-3 * std::max(1.0, std::fabs(along)));
        const Point end = row.nearest == 's' ? fa : fb;
        const double expected = row.nearest == 'x' ? std::fabs(cross) * 10800.0 / M_PI
                                                   : NavGeometry::distance(fp.lat, fp.lon, end.lat, end.lon);
        EXPECT_NEAR(LegGeometry::segmentDistanceNm(*p, *a, *b), expected, 1e-3 * std::max(1.0, expected));
    }
}

TEST(LegGeometry, SamePlaceIsWithinTwoMetres)
{
    const WaypointPtr here = at({47.5, 9.7});
    EXPECT_TRUE(LegGeometry::samePlace(*here, *at({47.5, 9.7})));
    EXPECT_TRUE(LegGeometry::samePlace(*here, *at({47.5 + 1.5 / 1852.0 * nm, 9.7}))); // 1.5 m north
    EXPECT_FALSE(LegGeometry::samePlace(*here, *at({47.5 + 3.0 / 1852.0 * nm, 9.7}))); // 3 m north
    EXPECT_FALSE(LegGeometry::samePlace(*here, *Waypoint::create()));
    EXPECT_TRUE(LegGeometry::samePlace(*at({0, 180}), *at({0, -180}))); // one meridian
}

// A leg north to the mark, then on at a turn (degrees to the right): the
// halving line through the mark separates the two legs' sides.
TEST(LegGeometry, BeyondTheTurnIsAcrossTheLineThatHalvesIt)
{
    struct Row {
        const char* name;
        double turn, north, east; // position in miles from the mark
        bool beyond;
    };
    const Row rows[] = {
        {"straight on, short of the mark", 0, -0.1, 0.02, false},
        {"straight on, past the mark", 0, 0.05, 0.3, true},
        {"right angle, short and to the left", 90, -0.05, -0.2, false},
        {"right angle, past on the inside", 90, -0.02, 0.05, true},
        {"hairpin 135, far short on the leg", 135, -6, 0, false},
        {"hairpin 135, overshot north", 135, 0.1, 0, true},
        {"hairpin 135, short but on the new leg's side", 135, -0.1, 0.2, true},
        {"at the mark itself", 135, 0, 0, true},
    };
    const Point mark{10 * nm, 0.0};
    for (const Row& row : rows) {
        const double turn = row.turn * NavGeometry::radians;
        const Point next = NavGeometry::offset(mark, 10 * std::cos(turn), 10 * std::sin(turn));
        EXPECT_EQ(LegGeometry::beyondTurn(*at(NavGeometry::offset(mark, row.north, row.east)),
                      *at(NavGeometry::offset(mark, -10, 0)), *at(mark), *at(next)),
            row.beyond)
            << row.name;
    }
}

// Distances and directions from the centre are true: a degree of a great
// circle is 60 nautical miles.
TEST(LocalProjection, DistancesAndDirectionsFromTheCentreAreTrue)
{
    const struct {
        const char* what;
        double centreLatitude, centreLongitude, latitude, longitude, east, north;
    } rows[] = {
        {"the centre", 47.5, 9.7, 47.5, 9.7, 0, 0},
        {"a degree east on the equator", 0, 0, 0, 1, 60, 0},
        {"a degree north", 0, 0, 1, 0, 0, 60},
        {"a degree south", 10, 20, 9, 20, 0, -60},
        {"across the 180th meridian, eastwards", 0, 179.5, 0, -179.5, 60, 0},
        {"across it westwards", 0, -179.75, 0, 179.75, -30, 0},
        {"over the pole: straight on north", 89.5, 0, 89.5, 180, 0, 60},
        {"the pole itself", 89.5, 0, 90, 123, 0, 30},
        {"the south pole, from near it", -89, 45, -90, 0, 0, -60},
    };
    for (const auto& row : rows) {
        const auto point
            = LocalProjection(row.centreLatitude, row.centreLongitude).project(row.latitude, row.longitude);
        EXPECT_NEAR(point.east, row.east, 1e-6) << row.what;
        EXPECT_NEAR(point.north, row.north, 1e-6) << row.what;
    }
}

// A point a minute, a distance or a turn; a new track after ten minutes
// without a fix.
TEST(TrackThinner, KeepsAMinuteADistanceOrATurn)
{
    using Decision = TrackThinner::Decision;
    const struct {
        const char* what;
        double time, northNm, eastNm;
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
    for (const auto& row : rows)
        EXPECT_EQ(thinner.take({row.time, row.northNm * nm, row.eastNm * nm, 0.0, 0.0}), row.decision) << row.what;
    // 24 knots north for a day, a fix a second: at least a point a minute,
    // under a megabyte.
    TrackThinner day;
    size_t kept = 0;
    for (int second = 0; second < 86400; ++second)
        kept += day.take({1.7e9 + second, -80.0 + 24.0 * second / 3600.0 * nm, 5.0, 0.0, 12.3}) != Decision::Skip;
    EXPECT_LT(kept * sizeof(TrackPoint), 1'000'000u);
    EXPECT_GT(kept, 86400u / 60u);
}

} // namespace
} // namespace navora::test
