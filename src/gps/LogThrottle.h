#pragma once

#include <chrono>
#include <string>

namespace navora {

// Keeps a flood of one kind of log line (a server sending garbage) from
// filling the log: at most a few lines per interval, the ones left out
// counted and reported with the next line written.
class LogThrottle {
public:
    using Clock = std::chrono::steady_clock;

    explicit LogThrottle(Clock::duration interval = std::chrono::seconds(5), int linesPerInterval = 3);

    void line(const std::string& text, Clock::time_point now = Clock::now());

private:
    Clock::duration m_interval;
    int m_linesPerInterval;
    Clock::time_point m_intervalStart{};
    bool m_started = false;
    int m_writtenInInterval = 0;
    long long m_leftOut = 0;
};

} // namespace navora
