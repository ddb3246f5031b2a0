#include "model/TrackSimplifier.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace navora {

namespace {

// One minute of latitude is a nautical mile.
constexpr double kNmPerDegree = 60.0;

// Longitudes the other side of the 180th meridian brought next to the
// reference.
double nearLongitude(double longitude, double reference)
{
    double difference = longitude - reference;
    while (difference > 180.0)
        difference -= 360.0;
    while (difference < -180.0)
        difference += 360.0;
    return reference + difference;
}

} // namespace

double TrackSimplifier::distanceFromSegmentNm(const Position& p, const Position& a, const Position& b)
{
    // An equirectangular projection about a, in nautical miles.
    const double scale = std::cos(a.latitude * std::numbers::pi / 180.0) * kNmPerDegree;
    const double bx = (nearLongitude(b.longitude, a.longitude) - a.longitude) * scale;
    const double by = (b.latitude - a.latitude) * kNmPerDegree;
    const double px = (nearLongitude(p.longitude, a.longitude) - a.longitude) * scale;
    const double py = (p.latitude - a.latitude) * kNmPerDegree;
    const double length2 = bx * bx + by * by;
    const double along = length2 > 0.0 ? std::clamp((px * bx + py * by) / length2, 0.0, 1.0) : 0.0;
    return std::hypot(px - along * bx, py - along * by);
}

std::vector<size_t> TrackSimplifier::keptAt(const std::vector<Position>& track, double toleranceNm)
{
    std::vector<bool> keep(track.size(), false);
    keep.front() = keep.back() = true;
    // Spans still to look at, on a stack of our own: tracks run to a
    // hundred thousand points.
    std::vector<std::pair<size_t, size_t>> spans{{0, track.size() - 1}};
    while (!spans.empty()) {
        const auto [first, last] = spans.back();
        spans.pop_back();
        double farthest = -1.0;
        size_t at = first;
        const size_t middle = first + (last - first) / 2;
        const auto offMiddle = [middle](size_t i) { return i > middle ? i - middle : middle - i; };
        for (size_t i = first + 1; i < last; ++i) {
            const double distance = distanceFromSegmentNm(track[i], track[first], track[last]);
            // Of points equally far, the one nearest the middle: a regular
            // wobble (a boat at anchor) then splits in halves, not one by one.
            if (distance > farthest || (distance == farthest && offMiddle(i) < offMiddle(at))) {
                farthest = distance;
                at = i;
            }
        }
        if (farthest > toleranceNm) {
            keep[at] = true;
            spans.emplace_back(first, at);
            spans.emplace_back(at, last);
        }
    }
    std::vector<size_t> kept;
    for (size_t i = 0; i < track.size(); ++i) {
        if (keep[i])
            kept.push_back(i);
    }
    return kept;
}

TrackSimplifier::Result TrackSimplifier::simplify(
    const std::vector<Position>& track, double toleranceNm, size_t maximum)
{
    if (track.size() <= 2) {
        std::vector<size_t> all(track.size());
        for (size_t i = 0; i < all.size(); ++i)
            all[i] = i;
        return {all, toleranceNm};
    }
    double tolerance = toleranceNm > 0.0 ? toleranceNm : kDefaultToleranceNm;
    std::vector<size_t> kept = keptAt(track, tolerance);
    while (kept.size() > std::max<size_t>(maximum, 2)) {
        tolerance *= 2.0;
        kept = keptAt(track, tolerance);
    }
    return {std::move(kept), tolerance};
}

} // namespace navora
