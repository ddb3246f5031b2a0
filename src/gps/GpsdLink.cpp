#include "gps/GpsdLink.h"

#include "gps/GpsdText.h"
#include "gps/JsonDialect.h"
#include "gps/LetterDialect.h"
#include "gps/TcpConnector.h"

#include "core/Log.h"

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
    if (connection.fd < 0) {
        m_failure = connection.failure;
        return false;
    }
    const std::optional<std::string> greeting = readGreeting(connection.fd, m_timeouts.greeting);
    if (!greeting) {
        ::close(connection.fd);
        m_failure = "the server closed the connection";
        return false;
    }
    m_numericHost = connection.numericHost;
    m_port = port;
    if (GpsdText::isVersionReport(*greeting)) {
        // libgps makes a connection of its own, to the address that has just
        // answered, so it has no name to look up and no unknown host to wait for.
        ::close(connection.fd);
        std::unique_ptr<JsonDialect> json = JsonDialect::open(connection.numericHost, port);
        if (!json) {
            m_failure = "the server did not answer a second time";
            return false;
        }
        m_dialect = std::move(json);
        m_protocol = Protocol::Json;
    } else {
        m_dialect = std::make_unique<LetterDialect>(connection.fd, *greeting);
        m_protocol = Protocol::SingleLetter;
    }
    // A new connection starts from a blank record, its receiver state unknown.
    m_record = GPSRecord{};
    m_record.online = GPSRecord::unknown;
    m_failure.clear();
    return true;
}

int GpsdLink::query(std::string_view command)
{
    // The driver mode is the JSON dialect's to send when it knows the
    // device; kept so a move to JSON can hand it on.
    if (command.substr(0, 2) == "N=")
        m_driverMode = command;
    return m_dialect ? m_dialect->query(command) : -1;
}

int GpsdLink::poll()
{
    if (!m_dialect) {
        m_failure = "not connected";
        return -1;
    }
    const int reports = m_dialect->poll(m_record, m_hook);
    if (reports < 0) {
        m_failure = m_dialect->failure();
        return -1;
    }
    if (m_dialect->heardJson())
        return moveToJson() ? reports : -1;
    return reports;
}

bool GpsdLink::moveToJson()
{
    Log::line("gpsd greeted late in JSON - moving the connection to gpsd's JSON protocol");
    m_dialect.reset();
    m_protocol = Protocol::None;
    std::unique_ptr<JsonDialect> json = JsonDialect::open(m_numericHost, m_port);
    if (!json) {
        m_failure = "the server did not answer a second time";
        return false;
    }
    m_dialect = std::move(json);
    m_protocol = Protocol::Json;
    if (!m_driverMode.empty())
        m_dialect->query(m_driverMode);
    if (m_dialect->query("w+x\n") != 0) {
        m_failure = "the server did not take the watch command";
        return false;
    }
    return true;
}

std::string GpsdLink::failure() const
{
    return m_failure;
}

int GpsdLink::receiverCount() const
{
    return m_dialect ? m_dialect->receiverCount() : -1;
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
