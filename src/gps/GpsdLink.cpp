#include "gps/GpsdLink.h"

#include "gps/GpsdText.h"
#include "gps/JsonDialect.h"
#include "gps/LetterDialect.h"
#include "gps/TcpConnector.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <cerrno>
#include <optional>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace navora {

namespace {

using Clock = std::chrono::steady_clock;

// Reads what the server says on its own within the wait: up to the end of
// its first line, the wait, or the server closing. nullopt when it closed.
std::optional<std::string> readGreeting(int fd, std::chrono::milliseconds wait)
{
    const Clock::time_point deadline = Clock::now() + wait;
    std::string received;
    while (received.find('\n') == std::string::npos && received.size() <= GpsdText::maxLine) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        pollfd pfd{fd, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        std::array<char, 4096> buffer;
        const ssize_t got = ::recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (got <= 0)
            return std::nullopt;
        received.append(buffer.data(), static_cast<size_t>(got));
    }
    return received;
}

bool isVersionGreeting(std::string_view received)
{
    std::string_view line = received.substr(0, received.find('\n'));
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.empty() || line.front() != '{')
        return false;
    const QJsonDocument document
        = QJsonDocument::fromJson(QByteArray(line.data(), static_cast<qsizetype>(line.size())));
    return document.isObject() && document.object().value(QLatin1String("class")).toString() == "VERSION";
}

} // namespace

GpsdLink::GpsdLink()
    : GpsdLink(Timeouts{})
{
}

GpsdLink::GpsdLink(Timeouts timeouts)
    : m_timeouts(timeouts)
{
}

GpsdLink::~GpsdLink() = default;

bool GpsdLink::open(const std::string& server, const std::string& port)
{
    close();
    const std::string host = server.empty() ? std::string("localhost") : server;
    TcpConnector::Connection connection = TcpConnector::connect(host, port, m_timeouts.connect);
    if (connection.fd < 0)
        return false;
    const std::optional<std::string> greeting = readGreeting(connection.fd, m_timeouts.greeting);
    if (!greeting) {
        ::close(connection.fd);
        return false;
    }
    if (isVersionGreeting(*greeting)) {
        // libgps makes a connection of its own, to the address that has just
        // answered, so it has no name to look up and no unknown host to wait for.
        ::close(connection.fd);
        std::unique_ptr<JsonDialect> json = JsonDialect::open(connection.numericHost, port);
        if (!json)
            return false;
        m_dialect = std::move(json);
        m_protocol = Protocol::Json;
    } else {
        m_dialect = std::make_unique<LetterDialect>(connection.fd, *greeting);
        m_protocol = Protocol::SingleLetter;
    }
    // A new connection starts from a blank record, its receiver state unknown.
    m_record = GPSRecord{};
    m_record.online = GPSRecord::unknown;
    return true;
}

int GpsdLink::query(std::string_view command)
{
    return m_dialect ? m_dialect->query(command) : -1;
}

int GpsdLink::poll()
{
    return m_dialect ? m_dialect->poll(m_record, m_hook) : -1;
}

void GpsdLink::setRawHook(RawHook hook)
{
    m_hook = std::move(hook);
}

void GpsdLink::close()
{
    m_dialect.reset();
    m_protocol = Protocol::None;
}

int GpsdLink::descriptor() const
{
    return m_dialect ? m_dialect->descriptor() : -1;
}

bool GpsdLink::pending() const
{
    return m_dialect && m_dialect->pending();
}

} // namespace navora
