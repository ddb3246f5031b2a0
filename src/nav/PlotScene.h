#pragma once

#include "model/TrackPoint.h"

#include <string>
#include <utility>
#include <vector>

namespace navora {

// What the plot draws, taken at one moment: the followed route with its
// active waypoint, the last position with its course and whether it is
// current, the recorded track, the cross-track corridor, the distance unit
// of the scale bar, and the other open documents behind it all.
struct PlotScene {
    struct Mark {
        double latitude;
        double longitude;
        std::string name;
    };

    // An open document drawn faintly: a route (an imported track among them)
    // as a line, a waypoint list as dots.
    struct Backdrop {
        std::vector<std::pair<double, double>> places;
        bool joined = false;
        bool operator==(const Backdrop&) const = default;
    };

    std::vector<Mark> route;
    // The route's waypoint being steered for; -1 without a route.
    int activeIndex = -1;
    bool hasPosition = false;
    double latitude = 0.0;
    double longitude = 0.0;
    // Degrees true; NaN when unknown.
    double course = 0.0;
    // The position is the last one known, no longer current.
    bool offLine = false;
    // Its fix time, seconds since 1970 UTC.
    double fixTime = 0.0;
    std::vector<TrackPoint> track;
    // Half the corridor's width, in nautical miles: the CDI's full scale.
    double corridorNm = 1.0;
    // Nautical miles to the distance unit, and the unit's label.
    double unitFactor = 1.0;
    std::string unitLabel = "nm";
    std::vector<Backdrop> backdrops;
};

} // namespace navora
