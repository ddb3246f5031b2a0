#include "model/Route.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

namespace navora {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(Waypoint, KeepsCoordinatesInRangeAndUnknownOtherwise)
{
    const struct {
        float value;
        bool keptAsLatitude;
        bool keptAsLongitude;
    } rows[] = {{90.0f, true, true}, {-90.0f, true, true}, {90.0001f, false, true}, {-90.0001f, false, true},
        {180.0f, false, true}, {-180.0f, false, true}, {180.0001f, false, false}, {kNaN, false, false},
        {std::numeric_limits<float>::infinity(), false, false}};
    const auto same = [](float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    for (const auto& row : rows) {
        Waypoint set;
        set.setLatitude(row.value);
        set.setLongitude(row.value);
        Waypoint made("A", "c", row.value, row.value, row.value);
        Waypoint moved("PPOS", "", 1, 2, 3);
        moved.setPosition(row.value, row.value, 7.0f, "fix");
        for (const Waypoint* waypoint : {&set, &made, &moved}) {
            const WaypointSnapshot s = waypoint->snapshot();
            EXPECT_TRUE(same(s.latitude, row.keptAsLatitude ? row.value : kNaN)
                && same(s.longitude, row.keptAsLongitude ? row.value : kNaN))
                << row.value << ": " << s.latitude << "," << s.longitude;
        }
        EXPECT_EQ(moved.snapshot().wpName + "|" + moved.snapshot().wpComment, "PPOS|fix");
        EXPECT_EQ(moved.altitude(), 7.0f);
    }
    EXPECT_EQ(Waypoint("A", "c", 95.0f, -200.0f, -12345.5f).altitude(), -12345.5f);
}

TEST(Waypoint, CopyIsIndependentAndNamesSortByteWise)
{
    const auto original = Waypoint::create("Harbour", "entrance", 50.5f, -1.25f, 3.0f);
    const auto copy = original->copy();
    copy->setWpName("Other");
    copy->setPosition(10.0f, 20.0f, 30.0f, "moved");
    const WaypointSnapshot s = original->snapshot();
    EXPECT_EQ(s.wpName + "|" + s.wpComment, "Harbour|entrance");
    EXPECT_TRUE(s.latitude == 50.5f && s.longitude == -1.25f && s.altitude == 3.0f);
    EXPECT_EQ(copy->snapshot().altitude, 30.0f);

    const Waypoint a("Alpha", "", 0, 0, 0), b("beta", "", 0, 0, 0), upperB("Beta", "", 0, 0, 0);
    EXPECT_EQ(a.nameAlpha(b), -1);
    EXPECT_EQ(b.nameAlpha(a), 1);
    EXPECT_EQ(upperB.nameAlpha(b), -1); // capitals sort before lower case
    EXPECT_EQ(a.nameAlpha(a), 0);
}

// The GPS thread rewrites "PPOS" while the user-interface thread reads it: a
// snapshot must never mix two positions.
TEST(Waypoint, SnapshotNeverSeesAHalfWrittenPosition)
{
    const auto ppos = Waypoint::create("PPOS", "0", 0.0f, 0.0f, 0.0f);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 1; i <= 20000; ++i) {
            const float v = static_cast<float>(i % 80);
            ppos->setPosition(v, v, v, std::to_string(i % 80));
        }
        done = true;
    });
    int mixed = 0;
    while (!done) {
        const WaypointSnapshot s = ppos->snapshot();
        if (s.latitude != s.longitude || s.latitude != s.altitude
            || std::to_string(static_cast<int>(s.latitude)) != s.wpComment)
            ++mixed;
    }
    writer.join();
    EXPECT_EQ(mixed, 0);
}

std::string namesOf(const Route& route)
{
    std::string names;
    for (const auto& w : route.routeWaypoints())
        names += w->wpName();
    return names;
}

TEST(Route, EditsRefuseIndicesOutsideTheListAndReverseKeepsTheActiveIndex)
{
    Route route;
    for (const char* name : {"A", "B", "C"})
        route.appendWaypoint(Waypoint::create(name, "", 0, 0, 0));
    const auto x = [] { return Waypoint::create("X", "", 0, 0, 0); };
    for (const int index : {-1, 4})
        EXPECT_FALSE(route.insertWaypoint(x(), index)) << index;
    for (const int index : {-1, 3})
        EXPECT_FALSE(route.replaceWaypointAtIndex(index, x()) || route.deleteWaypointAtIndex(index)) << index;
    EXPECT_EQ(namesOf(route), "ABC");

    EXPECT_TRUE(route.insertWaypoint(x(), 3)); // index == count appends
    EXPECT_TRUE(route.insertWaypoint(Waypoint::create("Y", "", 0, 0, 0), 0));
    EXPECT_TRUE(route.replaceWaypointAtIndex(2, Waypoint::create("Z", "", 0, 0, 0)));
    EXPECT_EQ(namesOf(route), "YAZCX");
    EXPECT_TRUE(route.deleteWaypointAtIndex(4));
    EXPECT_TRUE(route.deleteWaypointAtIndex(0));
    EXPECT_EQ(namesOf(route), "AZC");

    route.setActiveIndex(1);
    route.reverseRoute();
    EXPECT_EQ(namesOf(route), "CZA");
    EXPECT_EQ(route.activeIndex(), 1);
}

} // namespace
} // namespace navora
