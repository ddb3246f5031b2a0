#include "gps/RecordingDisplay.h"

namespace navora {

RecordingDisplay::RecordingDisplay(bool keepBatches)
    : m_keepBatches(keepBatches)
{
}

void RecordingDisplay::apply(DisplayBatch batch)
{
    std::lock_guard lock(m_mutex);
    m_state.apply(batch);
    ++m_batchCount;
    if (m_keepBatches)
        m_batches.push_back(std::move(batch));
}

DisplayState RecordingDisplay::state() const
{
    std::lock_guard lock(m_mutex);
    return m_state;
}

std::vector<DisplayBatch> RecordingDisplay::batches() const
{
    std::lock_guard lock(m_mutex);
    return m_batches;
}

size_t RecordingDisplay::batchCount() const
{
    std::lock_guard lock(m_mutex);
    return m_batchCount;
}

void RecordingDisplay::clear()
{
    std::lock_guard lock(m_mutex);
    m_state = DisplayState{};
    m_batches.clear();
    m_batchCount = 0;
}

} // namespace navora
