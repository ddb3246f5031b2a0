#pragma once

#include <chrono>
#include <optional>

namespace navora {

// What the sequencing decisions remember between passes. Activation resets
// distPA, lastSPcheck and sentFinalArrival; the other fields outlive it.
struct SequencingState {
    // Nautical miles: the current and the next leg's lengths; -1 until the
    // first passage check after an activation.
    float distPA = -1.0f;
    float distAN = -1.0f;
    // Fix time of the last passage check without passage; empty until armed.
    std::optional<std::chrono::sys_seconds> lastSPcheck;
    bool sentAlertForApproaching = false;
    bool sentFinalArrival = false;
    bool warnedOfReversal = false;
};

} // namespace navora
