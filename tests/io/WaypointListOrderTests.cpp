#include "io/WaypointListOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace navora::test {
namespace {

// The waypoint list's completion of an import, the plain way: a stable sort
// by name, then every entry goes that has the name and the place of an entry
// kept before it (an unknown coordinate matching an unknown one).
int referenceRefresh(WaypointList& list)
{
    std::stable_sort(
        list.begin(), list.end(), [](const WaypointPtr& a, const WaypointPtr& b) { return a->nameAlpha(*b) < 0; });
    const auto same = [](float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    WaypointList kept;
    for (const WaypointPtr& candidate : list) {
        const bool duplicate = std::any_of(kept.begin(), kept.end(), [&](const WaypointPtr& earlier) {
            return earlier->wpName() == candidate->wpName() && same(earlier->latitude(), candidate->latitude())
                && same(earlier->longitude(), candidate->longitude());
        });
        if (!duplicate)
            kept.push_back(candidate);
    }
    const int removed = static_cast<int>(list.size() - kept.size());
    list = kept;
    return removed;
}

TEST(WaypointListOrder, MatchesTheWalkOnRandomLists)
{
    std::mt19937 random(42);
    const std::vector<std::string> names{"", "A", "a", "B", "Ab", "AB", "Ä", "Z 1", "Z 10", "Z 2", "zz"};
    const float places[] = {0.0f, 1.5f, std::numeric_limits<float>::quiet_NaN()};
    for (int round = 0; round < 200; ++round) {
        WaypointList list;
        const size_t size = random() % 40;
        for (size_t i = 0; i < size; ++i)
            list.push_back(Waypoint::create(
                names[random() % names.size()], std::to_string(i), places[random() % 3], places[random() % 3], 0.0f));
        WaypointList expected = list;
        const int expectedRemoved = referenceRefresh(expected);
        WaypointList sorted = list;
        WaypointListOrder::sortByName(sorted);
        const int removed = WaypointListOrder::stripDuplicates(sorted);
        EXPECT_EQ(removed, expectedRemoved);
        EXPECT_EQ(sorted, expected);
        WaypointList combined = list;
        EXPECT_EQ(WaypointListOrder::sortByNameAndStripDuplicates(combined), expectedRemoved);
        EXPECT_EQ(combined, expected);
    }
    // The shortest list that can hold a duplicate.
    WaypointList pair{Waypoint::create("A", "", 1, 1, 0), Waypoint::create("A", "", 1, 1, 0)};
    EXPECT_EQ(WaypointListOrder::stripDuplicates(pair), 1);
    EXPECT_EQ(pair.size(), 1u);
}

} // namespace
} // namespace navora::test
