#include "io/WaypointListOrder.h"

#include "core/Log.h"

#include <algorithm>
#include <cmath>
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

// Two positions are the same place when both coordinates are equal or both
// unknown (NaN).
bool samePlace(const WaypointSnapshot& a, const WaypointSnapshot& b)
{
    const auto same = [](float x, float y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    return same(a.latitude, b.latitude) && same(a.longitude, b.longitude);
}

// On a list sorted by name: within each run of one name, an entry at the
// same place as an entry kept before it goes. Runs are short in practice, so
// each entry is compared with the kept ones of its run.
int stripWithNames(WaypointList& list, const std::vector<std::string>& names)
{
    if (list.size() < 2)
        return 0;
    size_t kept = 0;
    size_t runStart = 0;
    std::vector<WaypointSnapshot> runPlaces;
    for (size_t i = 0; i < list.size(); ++i) {
        if (i == 0 || names[i] != names[runStart]) {
            runStart = i;
            runPlaces.clear();
        }
        WaypointSnapshot place = list[i]->snapshot();
        const bool duplicate = std::any_of(runPlaces.begin(), runPlaces.end(),
            [&place](const WaypointSnapshot& other) { return samePlace(place, other); });
        if (duplicate)
            continue;
        runPlaces.push_back(std::move(place));
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

void WaypointListOrder::tidyAfterImport(WaypointList& list)
{
    const int removed = sortByNameAndStripDuplicates(list);
    Log::format("Import complete - %d duplicates removed", removed);
    if (removed > 0)
        Log::line("(a duplicate has the name and the position of another waypoint; same-named waypoints elsewhere are "
                  "kept)");
}

} // namespace navora
