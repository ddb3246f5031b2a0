#pragma once

#include "gps/Display.h"
#include "nav/DisplayState.h"

#include <mutex>
#include <vector>

namespace navora {

// A display for tests: keeps what the windows would show, and optionally
// every batch as it came. Safe to apply from any thread and to read from
// another.
class RecordingDisplay : public Display {
public:
    explicit RecordingDisplay(bool keepBatches = true);

    void apply(DisplayBatch batch) override;

    DisplayState state() const;
    std::vector<DisplayBatch> batches() const;
    size_t batchCount() const;
    void clear();

private:
    const bool m_keepBatches;
    mutable std::mutex m_mutex;
    DisplayState m_state;
    std::vector<DisplayBatch> m_batches;
    size_t m_batchCount = 0;
};

} // namespace navora
