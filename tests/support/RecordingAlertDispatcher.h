#pragma once

#include "core/AlertDispatcher.h"

#include <mutex>
#include <string>
#include <vector>

namespace navora::test {

// Keeps the keys of the alerts raised, from any thread.
class RecordingAlertDispatcher : public AlertDispatcher {
public:
    void alertAllForKey(const std::string& key) override
    {
        std::lock_guard lock(m_mutex);
        m_keys.push_back(key);
    }

    void alertAllForKey(const std::string& key, const std::string&, const std::string&) override
    {
        alertAllForKey(key);
    }

    void approachingBeep() override { }
    int sayWhat() const override { return 0; }

    std::vector<std::string> keys() const
    {
        std::lock_guard lock(m_mutex);
        return m_keys;
    }

    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_keys.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_keys;
};

} // namespace navora::test
