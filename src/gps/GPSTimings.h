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
    // After the link is lost and its one reopen has failed, the wait before
    // the next attempt: the first, doubled after each failure up to the last.
    std::chrono::milliseconds retryFirst{5000};
    std::chrono::milliseconds retryMax{60000};
    // While waiting to retry, the longest stretch between two idle ticks.
    std::chrono::milliseconds idleTick{1000};
};

} // namespace navora
