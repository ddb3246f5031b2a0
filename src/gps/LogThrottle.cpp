#include "gps/LogThrottle.h"

#include "core/Log.h"

namespace navora {

LogThrottle::LogThrottle(Clock::duration interval, int linesPerInterval)
    : m_interval(interval)
    , m_linesPerInterval(linesPerInterval)
{
}

void LogThrottle::line(const std::string& text, Clock::time_point now)
{
    if (!m_started || now - m_intervalStart >= m_interval) {
        m_started = true;
        m_intervalStart = now;
        m_writtenInInterval = 0;
    }
    if (m_writtenInInterval >= m_linesPerInterval) {
        ++m_leftOut;
        return;
    }
    Log::line(text);
    if (m_leftOut > 0)
        Log::format("(%lld more like it left out of the log)", m_leftOut);
    ++m_writtenInInterval;
    m_leftOut = 0;
}

} // namespace navora
