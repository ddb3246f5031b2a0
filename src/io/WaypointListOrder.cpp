#include "io/WaypointListOrder.h"

#include "core/Log.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

namespace {

// The names of a list, each copied out of its (locked) waypoint once and
// kept end to end in one text: a long list's names take a fraction of the
// room of as many strings.
class NameTable {
public:
    explicit NameTable(const WaypointList& list)
    {
        m_ends.reserve(list.size());
        for (const WaypointPtr& waypoint : list) {
            m_text += waypoint->wpName();
            m_ends.push_back(m_text.size());
        }
    }

    size_t size() const { return m_ends.size(); }
    std::string_view operator[](size_t i) const
    {
        const size_t start = i == 0 ? 0 : m_ends[i - 1];
        return std::string_view(m_text).substr(start, m_ends[i] - start);
    }

private:
    std::string m_text;
    std::vector<size_t> m_ends;
};

// Entry i of the list in order is list[order[i]]; indices of 32 bits, as a
// list never nears four billion entries. Sorted, the order is stable.
std::vector<uint32_t> orderOf(const NameTable& names, bool sorted)
{
    std::vector<uint32_t> order(names.size());
    std::iota(order.begin(), order.end(), uint32_t{0});
    const auto byName = [&names](uint32_t a, uint32_t b) { return names[a] < names[b]; };
    if (sorted && !std::is_sorted(order.begin(), order.end(), byName))
        std::stable_sort(order.begin(), order.end(), byName);
    return order;
}

// Two positions are the same place when both coordinates are equal or both
// unknown (NaN).
bool samePlace(const WaypointSnapshot& a, const WaypointSnapshot& b)
{
    const auto same = [](float x, float y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    return same(a.latitude, b.latitude) && same(a.longitude, b.longitude);
}

// Which entries of the list in order stay: within each run of one name, an
// entry at the same place as an entry kept before it goes. Runs are short in
// practice, so each entry is compared with the kept ones of its run.
std::vector<bool> entriesKept(const WaypointList& list, const NameTable& names, const std::vector<uint32_t>& order)
{
    std::vector<bool> kept(order.size(), true);
    std::vector<WaypointSnapshot> runPlaces;
    size_t runStart = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i == 0 || names[order[i]] != names[order[runStart]]) {
            runStart = i;
            runPlaces.clear();
        }
        WaypointSnapshot place = list[order[i]]->snapshot();
        if (std::any_of(runPlaces.begin(), runPlaces.end(),
                [&place](const WaypointSnapshot& other) { return samePlace(place, other); }))
            kept[i] = false;
        else
            runPlaces.push_back(std::move(place));
    }
    return kept;
}

// Puts list in order, in place (a long list is never held twice), and
// leaves out the entries that kept (if given) excludes; the order is used
// up. Returns the number left out.
int rearrange(WaypointList& list, std::vector<uint32_t>& order, const std::vector<bool>* kept)
{
    // Each cycle of the permutation is walked once; a place that has its
    // entry is marked by order[i] == i.
    for (size_t start = 0; start < order.size(); ++start) {
        if (order[start] == start)
            continue;
        WaypointPtr waypoint = std::move(list[start]);
        size_t place = start;
        for (;;) {
            const size_t from = order[place];
            order[place] = static_cast<uint32_t>(place);
            if (from == start) {
                list[place] = std::move(waypoint);
                break;
            }
            list[place] = std::move(list[from]);
            place = from;
        }
    }
    if (kept == nullptr)
        return 0;
    size_t count = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        if ((*kept)[i])
            list[count++] = std::move(list[i]);
    }
    const size_t removed = list.size() - count;
    list.resize(count);
    return static_cast<int>(removed);
}

// Sorts (if asked) and strips (if asked) list, reading each name once.
int tidy(WaypointList& list, bool sort, bool strip)
{
    const NameTable names(list);
    std::vector<uint32_t> order = orderOf(names, sort);
    if (!strip || list.size() < 2)
        return rearrange(list, order, nullptr);
    const std::vector<bool> kept = entriesKept(list, names, order);
    return rearrange(list, order, &kept);
}

} // namespace

void WaypointListOrder::sortByName(WaypointList& list)
{
    tidy(list, true, false);
}

int WaypointListOrder::stripDuplicates(WaypointList& list)
{
    return tidy(list, false, true);
}

int WaypointListOrder::sortByNameAndStripDuplicates(WaypointList& list)
{
    return tidy(list, true, true);
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
