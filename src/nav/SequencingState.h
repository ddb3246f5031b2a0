#pragma once

#include <chrono>
#include <optional>

namespace navora {

// What the sequencing decisions remember between passes. Activation resets
// distPA, lastSPcheck and approached; sentFinalArrival is reset only when
// the active waypoint becomes another one, so one destination is announced
// once whatever activations lead to it. The other fields outlive activation.
struct SequencingState {
    // Nautical miles: the current and the next leg's lengths; -1 until the
    // first passage check after an activation.
    float distPA = -1.0f;
    float distAN = -1.0f;
    // Fix time of the last passage check without passage; empty until armed.
    std::optional<std::chrono::sys_seconds> lastSPcheck;
    // The leg to the active waypoint has been closed on since it became
    // active: some deciding pass had a positive velocity made good towards
    // it, or the position came within the arrival distance. Nothing is
    // passed, and no course reversal announced, before.
    bool approached = false;
    // Fix time of the last pass that made decisions: each fix time is
    // decided once, however many passes it sees (activations run their own).
    std::optional<std::chrono::sys_seconds> lastDecision;
    bool sentAlertForApproaching = false;
    bool sentFinalArrival = false;
    // Fix time at which the destination was reached; set with
    // sentFinalArrival and cleared with it.
    std::optional<std::chrono::sys_seconds> arrivedAt;
    bool warnedOfReversal = false;
};

} // namespace navora
