#include "model/Waypoint.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

namespace navora {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(Waypoint, SettersKeepCoordinatesInRangeAndUnknownOtherwise)
{
    struct Case {
        float value;
        bool keptAsLatitude;
        bool keptAsLongitude;
    };
    const Case cases[] = {
        {90.0f, true, true},
        {-90.0f, true, true},
        {90.0001f, false, true},
        {-90.0001f, false, true},
        {180.0f, false, true},
        {-180.0f, false, true},
        {180.0001f, false, false},
        {kNaN, false, false},
        {std::numeric_limits<float>::infinity(), false, false},
    };
    for (const Case& c : cases) {
        Waypoint w;
        w.setLatitude(c.value);
        w.setLongitude(c.value);
        Waypoint made("A", "c", c.value, c.value, c.value);
        for (const Waypoint* waypoint : {&w, &made}) {
            EXPECT_EQ(waypoint->latitude() == c.value, c.keptAsLatitude) << c.value;
            EXPECT_EQ(std::isnan(waypoint->latitude()), !c.keptAsLatitude) << c.value;
            EXPECT_EQ(waypoint->longitude() == c.value, c.keptAsLongitude) << c.value;
            EXPECT_EQ(std::isnan(waypoint->longitude()), !c.keptAsLongitude) << c.value;
        }
    }
    EXPECT_EQ(Waypoint("A", "c", 95.0f, -200.0f, -12345.5f).altitude(), -12345.5f);
}

TEST(Waypoint, CopyIsIndependent)
{
    const auto original = Waypoint::create("Harbour", "entrance", 50.5f, -1.25f, 3.0f);
    const auto copy = original->copy();
    copy->setWpName("Other");
    copy->setPosition(10.0f, 20.0f, 30.0f, "moved");
    const WaypointSnapshot s = original->snapshot();
    EXPECT_EQ(s.wpName + "|" + s.wpComment, "Harbour|entrance");
    EXPECT_EQ(s.latitude, 50.5f);
    EXPECT_EQ(s.longitude, -1.25f);
    EXPECT_EQ(s.altitude, 3.0f);
}

TEST(Waypoint, NameOrderIsCaseSensitive)
{
    const Waypoint a("Alpha", "", 0, 0, 0);
    const Waypoint b("beta", "", 0, 0, 0);
    const Waypoint upperB("Beta", "", 0, 0, 0);
    EXPECT_EQ(a.nameAlpha(b), -1);
    EXPECT_EQ(b.nameAlpha(a), 1);
    EXPECT_EQ(upperB.nameAlpha(b), -1); // capitals sort before lower case
    EXPECT_EQ(a.nameAlpha(a), 0);
}

TEST(Waypoint, SetPositionAppliesRangeChecksAsOneUnit)
{
    Waypoint w("PPOS", "", 1, 2, 3);
    w.setPosition(91.0f, 45.0f, 7.0f, "fix");
    const WaypointSnapshot s = w.snapshot();
    EXPECT_TRUE(std::isnan(s.latitude));
    EXPECT_EQ(s.longitude, 45.0f);
    EXPECT_EQ(s.altitude, 7.0f);
    EXPECT_EQ(s.wpComment, "fix");
    EXPECT_EQ(s.wpName, "PPOS");
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

} // namespace
} // namespace navora
