#pragma once

#include "model/TrackPoint.h"

#include <optional>

namespace navora {

// Which of each epoch's positions join the track, so that a day at sea
// stays small: a point is kept when a minute has passed since the last one
// kept, when the boat is 0.05 nm from it, or when it has moved 10 m and
// its course from it has turned 15 degrees from the course that led there.
// After ten minutes without a fix the next point starts a new track. A fix
// time that does not move on is never kept.
class TrackThinner {
public:
    enum class Decision { Skip, Keep, StartNewTrack };

    static constexpr double kMinuteSeconds = 60.0;
    static constexpr double kDistanceNm = 0.05;
    static constexpr double kMovedNm = 10.0 / 1852.0;
    static constexpr double kTurnDegrees = 15.0;
    static constexpr double kGapSeconds = 600.0;

    Decision take(const TrackPoint& point);

private:
    std::optional<TrackPoint> m_lastSeen;
    std::optional<TrackPoint> m_lastKept;
    // The course from the point kept before the last one to the last one.
    std::optional<double> m_lastCourse;
};

} // namespace navora
