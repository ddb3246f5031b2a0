#include "io/WaypointListOrder.h"

#include <algorithm>
#include <string>
#include <vector>

namespace navora {

namespace {

// The names of list, each copied out of its (locked) waypoint once.
std::vector<std::string> namesOf(const WaypointList& list)
{
    std::vector<std::string> names;
    names.reserve(list.size());
    for (const WaypointPtr& waypoint : list)
        names.push_back(waypoint->wpName());
    return names;
}

// Sorts list stably by names (which belong to it entry by entry); returns
// the names in the new order.
std::vector<std::string> sortWithNames(WaypointList& list, std::vector<std::string> names)
{
    std::vector<size_t> order(list.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&names](size_t a, size_t b) { return names[a] < names[b]; });
    WaypointList sorted;
    std::vector<std::string> sortedNames;
    sorted.reserve(list.size());
    sortedNames.reserve(list.size());
    for (const size_t index : order) {
        sorted.push_back(std::move(list[index]));
        sortedNames.push_back(std::move(names[index]));
    }
    list = std::move(sorted);
    return sortedNames;
}

int stripWithNames(WaypointList& list, const std::vector<std::string>& names)
{
    if (list.size() < 2)
        return 0;
    size_t kept = 1;
    size_t lastKept = 0;
    for (size_t i = 1; i < list.size(); ++i) {
        if (names[i] == names[lastKept])
            continue;
        lastKept = i;
        list[kept++] = std::move(list[i]);
    }
    const size_t removed = list.size() - kept;
    list.resize(kept);
    return static_cast<int>(removed);
}

} // namespace

void WaypointListOrder::sortByName(WaypointList& list)
{
    sortWithNames(list, namesOf(list));
}

int WaypointListOrder::stripDuplicates(WaypointList& list)
{
    return stripWithNames(list, namesOf(list));
}

int WaypointListOrder::sortByNameAndStripDuplicates(WaypointList& list)
{
    return stripWithNames(list, sortWithNames(list, namesOf(list)));
}

} // namespace navora
