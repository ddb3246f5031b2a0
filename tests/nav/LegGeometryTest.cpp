// Where a position lies along and beside a leg, and on which side of a turn,
// against the tests' own spherical geometry (haversine and initial bearings):
// on the equator, near a pole and across the 180th meridian.
#include "nav/NavGeometry.h"

#include "nav/LegGeometry.h"

#include "model/Waypoint.h"

#include <gtest/gtest.h>

#include <cmath>

namespace navora::test {
namespace {

using Point = NavGeometry::Point;

WaypointPtr at(const Point& p)
{
    return Waypoint::create("", "", static_cast<float>(p.lat), static_cast<float>(p.lon), 0.0f);
}

// Along- and cross-track distances from the tests' own haversine and
// bearings (the textbook spherical formulas).
double alongTrack(const Point& p, const Point& a, const Point& b)
{
    const double d13 = NavGeometry::distance(a.lat, a.lon, p.lat, p.lon) / 10800.0 * M_PI;
    const double angle
        = (NavGeometry::bearing(a.lat, a.lon, p.lat, p.lon) - NavGeometry::bearing(a.lat, a.lon, b.lat, b.lon))
        * NavGeometry::radians;
    const double crossTrack = std::asin(std::sin(d13) * std::sin(angle));
    const double along = std::acos(std::cos(d13) / std::cos(crossTrack));
    return (std::cos(angle) < 0 ? -along : along) * 10800.0 / M_PI;
}

double crossTrack(const Point& p, const Point& a, const Point& b)
{
    const double d13 = NavGeometry::distance(a.lat, a.lon, p.lat, p.lon) / 10800.0 * M_PI;
    const double angle
        = (NavGeometry::bearing(a.lat, a.lon, p.lat, p.lon) - NavGeometry::bearing(a.lat, a.lon, b.lat, b.lon))
        * NavGeometry::radians;
    return std::fabs(std::asin(std::sin(d13) * std::sin(angle))) * 10800.0 / M_PI;
}

TEST(LegGeometry, AlongAndBesideALegAnywhere)
{
    struct Row {
        const char* name;
        Point a;
        Point b;
        Point p;
        // The expected distance to the segment: "cross", "start" or "end".
        const char* nearest;
    };
    const Row rows[] = {
        {"beside the middle, equator", {0, 0}, {0, 1}, {0.1, 0.5}, "cross"},
        {"before the start", {0, 0}, {0, 1}, {0.05, -0.3}, "start"},
        {"beyond the end", {0, 0}, {0, 1}, {-0.05, 1.4}, "end"},
        {"near the north pole", {89.5, 0}, {89.5, 90}, {89.8, 40}, "cross"},
        {"across the 180th meridian", {10, 179.6}, {10.2, -179.7}, {10.0, -179.9}, "cross"},
        {"across it, beyond the end", {10, 179.6}, {10.2, -179.7}, {10.3, -179.2}, "end"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const WaypointPtr a = at(row.a);
        const WaypointPtr b = at(row.b);
        const WaypointPtr p = at(row.p);
        // The waypoints hold floats: measure from what they hold.
        const Point fa{a->latitude(), a->longitude()};
        const Point fb{b->latitude(), b->longitude()};
        const Point fp{p->latitude(), p->longitude()};
        const double along = alongTrack(fp, fa, fb);
        EXPECT_NEAR(LegGeometry::alongTrackNm(*p, *a, *b), along, 1e-3 * std::max(1.0, std::fabs(along)));
        double expected = crossTrack(fp, fa, fb);
        if (std::string(row.nearest) == "start")
            expected = NavGeometry::distance(fp.lat, fp.lon, fa.lat, fa.lon);
        else if (std::string(row.nearest) == "end")
            expected = NavGeometry::distance(fp.lat, fp.lon, fb.lat, fb.lon);
        EXPECT_NEAR(LegGeometry::segmentDistanceNm(*p, *a, *b), expected, 1e-3 * std::max(1.0, expected));
    }
}

TEST(LegGeometry, SamePlaceIsWithinTwoMetres)
{
    const WaypointPtr here = at({47.5, 9.7});
    EXPECT_TRUE(LegGeometry::samePlace(*here, *at({47.5, 9.7})));
    EXPECT_TRUE(LegGeometry::samePlace(*here, *at({47.5 + 1.5 / 1852.0 / 60.0, 9.7}))); // 1.5 m north
    EXPECT_FALSE(LegGeometry::samePlace(*here, *at({47.5 + 3.0 / 1852.0 / 60.0, 9.7}))); // 3 m north
    EXPECT_FALSE(LegGeometry::samePlace(*here, *Waypoint::create()));
    EXPECT_TRUE(LegGeometry::samePlace(*at({0, 180}), *at({0, -180}))); // one meridian
}

// A leg north to the mark, then on at a turn: the halving line through the
// mark separates the two legs' sides.
TEST(LegGeometry, BeyondTheTurnIsAcrossTheLineThatHalvesIt)
{
    struct Row {
        const char* name;
        double turn; // degrees to the right
        double north;
        double east; // position, miles from the mark
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
    const Point mark{10.0 / 60.0, 0.0};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Point previous = NavGeometry::offset(mark, -10, 0);
        const double turn = row.turn * NavGeometry::radians;
        const Point next = NavGeometry::offset(mark, 10 * std::cos(turn), 10 * std::sin(turn));
        const Point position = NavGeometry::offset(mark, row.north, row.east);
        EXPECT_EQ(LegGeometry::beyondTurn(*at(position), *at(previous), *at(mark), *at(next)), row.beyond);
    }
}

} // namespace
} // namespace navora::test
