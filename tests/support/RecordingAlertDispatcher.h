#pragma once

#include "core/AlertDispatcher.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace navora::test {

// Keeps the alerts raised with their texts, from any thread, and counts
// the approach beeps.
class RecordingAlertDispatcher : public AlertDispatcher {
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

    std::vector<std::string> keys() const
    {
        std::vector<std::string> out;
        for (const Alert& alert : alerts())
            out.push_back(alert.key);
        return out;
    }

    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_alerts.clear();
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
