#pragma once

#include "model/Waypoint.h"

#include <chrono>
#include <optional>

namespace navora {

// The GPS controller's copy of the last fix, as the navigation engine reads
// it. Altitude and speed are already in display units. The numbers change
// only on reports with a 2D or 3D fix, fixDate only on those with a time.
struct FixState {
    double lat = 0.0;
    double lon = 0.0;
    double alt = 0.0;
    double spd = 0.0;
    double trk = 0.0;
    // Whole seconds.
    std::chrono::sys_seconds fixDate{};
    // "PPOS", shared with the waypoint documents; empty without a usable fix.
    WaypointPtr currentPos;
    // The fix mode last announced (decided once per epoch): 0 at start and
    // after off line.
    int lastMode = 0;
    // Freshness: when (steady clock) a report last brought a fix time not
    // seen before, that fix time, and the receiver's usual interval between
    // such reports. The receiver counts as lost (off line) when it has been
    // silent for longer than the stale bound while a position was held.
    std::optional<std::chrono::steady_clock::time_point> lastFreshAt;
    double lastFreshFixTime = 0.0;
    std::chrono::steady_clock::duration usualInterval{};
    bool receiverLost = false;
};

} // namespace navora
