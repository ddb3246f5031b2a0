#include "io/MemoryWaypointDocument.h"
#include "io/WaypointListOrder.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <random>

namespace navora::test {
namespace {

// The waypoint list's completion of an import as first written: a sort by
// name, then a walk that removes each entry named like the one before it.
int referenceRefresh(WaypointList& list)
{
    std::stable_sort(
        list.begin(), list.end(), [](const WaypointPtr& a, const WaypointPtr& b) { return a->nameAlpha(*b) < 0; });
    int removed = 0;
    size_t i = 0;
    while (i + 1 < list.size()) {
        if (list[i + 1]->wpName() == list[i]->wpName()) {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            ++removed;
        } else {
            ++i;
        }
    }
    return removed;
}

TEST(WaypointListOrder, MatchesTheWalkOnRandomLists)
{
    std::mt19937 random(42);
    const std::vector<std::string> names{"", "A", "a", "B", "Ab", "AB", "Ä", "Z 1", "Z 10", "Z 2", "zz"};
    for (int round = 0; round < 200; ++round) {
        WaypointList list;
        const size_t size = random() % 40;
        for (size_t i = 0; i < size; ++i)
            list.push_back(Waypoint::create(names[random() % names.size()], std::to_string(i), 0.0f, 0.0f, 0.0f));
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
}

TEST(MemoryWaypointDocument, RefreshSortsStripsAndLogs)
{
    MemoryWaypointDocument document;
    for (const char* name : {"b", "a", "b", "c", "a"})
        document.addWP(Waypoint::create(name, "", 0.0f, 0.0f, 0.0f));
    LogCapture log;
    document.refresh();
    EXPECT_EQ(log.lines(), std::vector<std::string>{"Import complete - 2 duplicates removed"});
    ASSERT_EQ(document.waypointList().size(), 3u);
    EXPECT_EQ(document.waypointList()[2]->wpName(), "c");
    EXPECT_EQ(document.changeCount(), 1);
}

} // namespace
} // namespace navora::test
