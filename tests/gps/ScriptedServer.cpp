#include "gps/ScriptedServer.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace navora::test {

namespace {

using Clock = std::chrono::steady_clock;

sockaddr_in loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    return address;
}

// A socket bound to a free loopback port; listening unless backlog < 0.
int boundSocket(int backlog, int& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    sockaddr_in address = loopback(0);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    if (backlog >= 0)
        ::listen(fd, backlog);
    socklen_t length = sizeof(address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

} // namespace

std::optional<std::string> ScriptedServer::Connection::readLine(std::chrono::milliseconds limit)
{
    const Clock::time_point deadline = Clock::now() + limit;
    for (size_t end; (end = m_buffer.find('\n')) == std::string::npos;) {
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_server.m_stopFd, POLLIN, 0}};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        const int ready = stopping() ? 0 : ::poll(fds, 2, static_cast<int>(std::max<int64_t>(left, 0)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || (fds[1].revents & POLLIN)) {
            m_closed = m_closed || ready < 0;
            return std::nullopt;
        }
        std::array<char, 4096> bytes;
        const ssize_t got = ::recv(m_fd, bytes.data(), bytes.size(), 0);
        if (got <= 0) {
            m_closed = true;
            return std::nullopt;
        }
        m_buffer.append(bytes.data(), static_cast<size_t>(got));
    }
    const size_t end = m_buffer.find('\n');
    std::string line = m_buffer.substr(0, end + 1);
    m_buffer.erase(0, end + 1);
    std::lock_guard lock(m_server.m_mutex);
    m_server.m_received.push_back({m_number, line, Clock::now()});
    return line;
}

bool ScriptedServer::Connection::send(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t sent = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

bool ScriptedServer::Connection::idle(std::chrono::milliseconds duration)
{
    pollfd stop{m_server.m_stopFd, POLLIN, 0};
    return ::poll(&stop, 1, static_cast<int>(duration.count())) == 0;
}

ScriptedServer::ScriptedServer(Script script)
    : m_script(std::move(script))
    , m_listenFd(boundSocket(8, m_port))
    , m_stopFd(::eventfd(0, EFD_CLOEXEC))
    , m_thread([this] { serve(); })
{
}

ScriptedServer::~ScriptedServer()
{
    m_stopping = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_stopFd, &one, sizeof(one));
    m_thread.join();
    ::close(m_listenFd);
    ::close(m_stopFd);
}

void ScriptedServer::serve()
{
    while (!m_stopping) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
        if ((::poll(fds, 2, -1) < 0 && errno != EINTR) || (fds[1].revents & POLLIN))
            return;
        const int fd = (fds[0].revents & POLLIN) ? ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC) : -1;
        if (fd < 0)
            continue;
        Connection client(*this, fd, ++m_connections);
        m_script(client);
        ::close(fd);
    }
}

std::vector<ScriptedServer::Received> ScriptedServer::received() const
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

std::vector<std::string> ScriptedServer::linesOf(int connection) const
{
    std::vector<std::string> lines;
    for (const Received& r : received()) {
        if (r.connection == connection)
            lines.push_back(r.line);
    }
    return lines;
}

std::string ScriptedServer::fixReply()
{
    return "GPSD,O=RMC 1714564812.700 0.005 52.500000 13.300000 120.50 17.10 27.60 45.0000 5.144 0.100 ? ? ? 3,"
           "M=3,Y=GSV 1714564812.700 3:1 40 83 46 1:2 17 308 41 0:3 7 344 39 1:,X=1714564812.700\r\n";
}

ScriptedServer::Script ScriptedServer::singleLetterServer()
{
    return [](Connection& client) {
        while (const std::optional<std::string> line = client.readLine()) {
            std::string reply = "GPSD\r\n";
            if (*line == "omyx\n")
                reply = fixReply();
            else if (line->rfind("N=", 0) == 0)
                reply = "GPSD,N=0\r\n";
            else if (*line == "w+x\n")
                reply = "GPSD,W=1,X=1714564812.700\r\n";
            else if (*line == "X\n")
                reply = "GPSD,X=1714564812.700\r\n";
            if (!client.send(reply))
                return;
        }
    };
}

int unusedPort()
{
    int port = 0;
    ::close(boundSocket(-1, port));
    return port;
}

BlackHole::BlackHole()
    : m_listenFd(boundSocket(0, m_port))
{
    const sockaddr_in address = loopback(m_port);
    for (int i = 0; i < 4; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
        m_queued.push_back(fd);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

BlackHole::~BlackHole()
{
    for (const int fd : m_queued)
        ::close(fd);
    ::close(m_listenFd);
}

std::vector<std::string> linesFrom(const std::vector<std::string>& lines, const std::string& first)
{
    const auto found = std::find(lines.begin(), lines.end(), first);
    return std::vector<std::string>(found, lines.end());
}

} // namespace navora::test
