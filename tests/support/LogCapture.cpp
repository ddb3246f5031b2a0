#include "support/LogCapture.h"

#include <algorithm>

namespace navora::test {

LogCapture::LogCapture()
{
    m_previous = Log::setSink([this](std::string_view line) {
        std::lock_guard lock(m_mutex);
        m_lines.emplace_back(line);
    });
}

LogCapture::~LogCapture()
{
    Log::setSink(std::move(m_previous));
}

std::vector<std::string> LogCapture::lines() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}

bool LogCapture::contains(const std::string& line) const
{
    return count(line) > 0;
}

size_t LogCapture::count(const std::string& line) const
{
    std::lock_guard lock(m_mutex);
    return static_cast<size_t>(std::count(m_lines.begin(), m_lines.end(), line));
}

void LogCapture::clear()
{
    std::lock_guard lock(m_mutex);
    m_lines.clear();
}

} // namespace navora::test
