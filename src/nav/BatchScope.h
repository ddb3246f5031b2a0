#pragma once

#include "gps/GPSController.h"

namespace navora {

// The batch that a navigation step writes into: the open report's batch
// when a fix report is being taken in, otherwise one opened here for the
// activation or switch and handed to the display when the outermost scope
// ends. Used under the navigation lock only.
class GPSController::BatchScope {
public:
    explicit BatchScope(GPSController& controller)
        : m_controller(controller)
    {
        if (!m_controller.m_reportBatch) {
            m_controller.m_reportBatch = &m_batch;
            m_owner = true;
        }
    }

    ~BatchScope()
    {
        if (!m_owner)
            return;
        m_controller.m_reportBatch = nullptr;
        m_controller.apply(std::move(m_batch));
    }

    BatchScope(const BatchScope&) = delete;
    BatchScope& operator=(const BatchScope&) = delete;

private:
    GPSController& m_controller;
    DisplayBatch m_batch;
    bool m_owner = false;
};

} // namespace navora
