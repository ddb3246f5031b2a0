#include "gps/LineBuffer.h"

namespace navora {

LineBuffer::LineBuffer(size_t maxLine)
    : m_maxLine(maxLine)
{
}

size_t LineBuffer::append(std::string_view bytes, const LineHandler& onLine)
{
    size_t dropped = 0;
    while (!bytes.empty()) {
        const size_t end = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, end);
        if (!m_dropping) {
            if (m_partial.size() + piece.size() > m_maxLine + 1) {
                // One byte of slack for the carriage return before the line feed.
                m_partial.clear();
                m_dropping = true;
                ++dropped;
            } else {
                m_partial.append(piece);
            }
        }
        if (end == std::string_view::npos)
            break;
        if (!m_dropping) {
            std::string_view line = m_partial;
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (line.size() <= m_maxLine)
                onLine(line);
            else
                ++dropped;
        }
        m_partial.clear();
        m_dropping = false;
        bytes.remove_prefix(end + 1);
    }
    return dropped;
}

} // namespace navora
