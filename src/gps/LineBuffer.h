#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace navora {

// Splits a byte stream into lines (without "\r\n" or "\n") and keeps the
// unfinished rest for the next call. A line longer than the limit is dropped
// whole, up to and including its line feed, so an endless line costs bounded
// memory and the stream picks up again at the next line.
class LineBuffer {
public:
    using LineHandler = std::function<void(std::string_view line)>;

    explicit LineBuffer(size_t maxLine);

    // Feeds bytes; calls onLine for every line they complete. Returns how many
    // over-long lines began to be dropped during this call.
    size_t append(std::string_view bytes, const LineHandler& onLine);

    size_t maxLine() const { return m_maxLine; }
    // Bytes of the unfinished line held.
    size_t buffered() const { return m_partial.size(); }

private:
    size_t m_maxLine;
    std::string m_partial;
    bool m_dropping = false;
};

} // namespace navora
