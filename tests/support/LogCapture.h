#pragma once

#include "core/Log.h"

#include <mutex>
#include <string>
#include <vector>

namespace navora::test {

// Collects every log line written while it lives (from any thread).
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> lines() const;
    bool contains(const std::string& line) const;
    size_t count(const std::string& line) const;
    void clear();

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    Log::Sink m_previous;
};

} // namespace navora::test
