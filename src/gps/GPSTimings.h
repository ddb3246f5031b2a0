#pragma once

#include <chrono>

namespace navora {

// How long the link protocol waits. The defaults are the protocol's; tests
// shorten them so the suite stays fast.
struct GPSTimings {
    // Silence on the link before the status query "X".
    std::chrono::milliseconds quietWait{5000};
    // After the status query, before a reopen, and between the first two
    // start commands.
    std::chrono::milliseconds pause{1000};
};

} // namespace navora
