#pragma once

#include "core/AlertDispatcher.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace navora::test {

// Keeps every alert with its texts, and counts the approach beeps.
class NavAlertRecorder : public AlertDispatcher {
public:
    struct Alert {
        std::string key;
        std::string description;
        std::string speech;
    };

    void alertAllForKey(const std::string& key) override { alertAllForKey(key, "", ""); }

    void alertAllForKey(const std::string& key, const std::string& description, const std::string& speech) override
    {
        std::lock_guard lock(m_mutex);
        m_alerts.push_back({key, description, speech});
    }

    void approachingBeep() override { ++m_beeps; }
    int sayWhat() const override { return m_sayWhat; }

    std::vector<Alert> alerts() const
    {
        std::lock_guard lock(m_mutex);
        return m_alerts;
    }

    size_t count(const std::string& key) const
    {
        std::lock_guard lock(m_mutex);
        size_t n = 0;
        for (const Alert& alert : m_alerts)
            n += alert.key == key ? 1u : 0u;
        return n;
    }

    // The alerts of the navigation engine, without the fix-mode ones.
    std::vector<Alert> navigationAlerts() const
    {
        std::lock_guard lock(m_mutex);
        std::vector<Alert> out;
        for (const Alert& alert : m_alerts)
            if (alert.key == "WaypointArrival" || alert.key == "WaypointPassage" || alert.key == "CourseReversal"
                || alert.key == "DestinationArrival")
                out.push_back(alert);
        return out;
    }

    int beeps() const { return m_beeps; }
    void setSayWhat(int sayWhat) { m_sayWhat = sayWhat; }

private:
    mutable std::mutex m_mutex;
    std::vector<Alert> m_alerts;
    std::atomic<int> m_beeps{0};
    std::atomic<int> m_sayWhat{0};
};

} // namespace navora::test
