#pragma once

namespace navora {

// One point of a recorded track: the fix time (seconds since 1970 UTC), the
// position, the altitude in metres and the speed in metres per second.
struct TrackPoint {
    double time = 0.0;
    double latitude = 0.0;
    double longitude = 0.0;
    double altitude = 0.0;
    double speed = 0.0;
};

} // namespace navora
