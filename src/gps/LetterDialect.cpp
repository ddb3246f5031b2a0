#include "gps/LetterDialect.h"

#include "gps/GpsdText.h"
#include "gps/LetterReply.h"

#include "core/Log.h"

#include <array>
#include <cerrno>

#include <sys/socket.h>
#include <unistd.h>

namespace navora {

LetterDialect::LetterDialect(int fd, std::string greeting)
    : m_fd(fd)
    , m_greeting(std::move(greeting))
    , m_lines(GpsdText::maxLine)
{
}

LetterDialect::~LetterDialect()
{
    ::close(m_fd);
}

int LetterDialect::query(std::string_view command)
{
    return GpsdText::sendAll(m_fd, command) ? 0 : -1;
}

int LetterDialect::poll(GPSRecord& record, const GPSLink::RawHook& hook)
{
    if (!m_greeting.empty()) {
        const std::string greeting = std::move(m_greeting);
        m_greeting.clear();
        return handleBytes(greeting, record, hook);
    }
    std::array<char, 16384> buffer;
    ssize_t got = 0;
    do {
        got = ::recv(m_fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
    } while (got < 0 && errno == EINTR);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return 0;
    if (got <= 0) {
        m_failure = got == 0 ? "the server closed the connection" : GpsdText::reason(errno);
        return -1;
    }
    return handleBytes(std::string_view(buffer.data(), static_cast<size_t>(got)), record, hook);
}

int LetterDialect::handleBytes(std::string_view bytes, GPSRecord& record, const GPSLink::RawHook& hook)
{
    int reports = 0;
    const size_t dropped = m_lines.append(bytes, [&](std::string_view line) {
        if (m_heardJson)
            return;
        if (GpsdText::isVersionReport(line)) {
            m_heardJson = true;
            return;
        }
        if (!line.empty() && !LetterReply::apply(line, record))
            m_unreadable.line("Ignoring unreadable gpsd reply: " + GpsdText::excerpt(line));
        ++reports;
        if (hook)
            hook(record, line);
    });
    for (size_t i = 0; i < dropped; ++i)
        Log::format("Ignoring gpsd reply longer than %zu bytes", m_lines.maxLine());
    return reports;
}

} // namespace navora
