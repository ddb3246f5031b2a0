#pragma once

#include <cstddef>
#include <vector>

namespace navora {

// Thins a recorded track to a route: the points kept are such that no
// dropped point lies further than the tolerance from the line through the
// kept ones (Douglas-Peucker, on a local flat projection that is exact
// enough for the short spans between track points). The first and last
// points are always kept. When more points than the limit would be kept,
// the tolerance is doubled until they fit.
class TrackSimplifier {
public:
    struct Position {
        double latitude;
        double longitude;
    };
    struct Result {
        // Indexes of the kept points, ascending.
        std::vector<size_t> kept;
        // The tolerance that was used, in nautical miles.
        double toleranceNm;
    };

    static constexpr double kDefaultToleranceNm = 0.01;
    static constexpr size_t kDefaultMaximum = 500;

    static Result simplify(
        const std::vector<Position>& track, double toleranceNm = kDefaultToleranceNm, size_t maximum = kDefaultMaximum);
    // The distance, in nautical miles, of p from the segment a-b.
    static double distanceFromSegmentNm(const Position& p, const Position& a, const Position& b);

private:
    static std::vector<size_t> keptAt(const std::vector<Position>& track, double toleranceNm);
};

} // namespace navora
