#include "gps/LinkTestSupport.h"

#include <algorithm>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace navora::test {

namespace {

sockaddr_in loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    return address;
}

int boundPort(int fd)
{
    sockaddr_in address{};
    socklen_t length = sizeof(address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

} // namespace

int unusedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    const int port = boundPort(fd);
    ::close(fd);
    return port;
}

BlackHole::BlackHole()
{
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::listen(m_listenFd, 0);
    m_port = boundPort(m_listenFd);
    address = loopback(m_port);
    for (int i = 0; i < 4; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
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
    if (first.empty())
        return lines;
    const auto found = std::find(lines.begin(), lines.end(), first);
    return found == lines.end() ? std::vector<std::string>{} : std::vector<std::string>(found, lines.end());
}

} // namespace navora::test
