#include "gps/TcpConnector.h"

#include "gps/GpsdText.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace navora {

namespace {

using Clock = std::chrono::steady_clock;

struct Address {
    sockaddr_storage storage{};
    socklen_t length = 0;
    int family = 0;
};

std::vector<Address> addressesOf(const addrinfo* list)
{
    std::vector<Address> addresses;
    for (const addrinfo* ai = list; ai; ai = ai->ai_next) {
        if (ai->ai_addrlen > sizeof(sockaddr_storage))
            continue;
        Address address;
        std::memcpy(&address.storage, ai->ai_addr, ai->ai_addrlen);
        address.length = ai->ai_addrlen;
        address.family = ai->ai_family;
        addresses.push_back(address);
    }
    return addresses;
}

addrinfo hintsFor(int flags)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags;
    return hints;
}

// A lookup that the caller may stop waiting for: the resolver has no
// timeout of its own, so it runs on a thread of its own that leaves its
// answer in state shared with the caller, whoever goes first.
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::vector<Address> addresses;
};

std::vector<Address> resolve(const std::string& host, const std::string& port, Clock::time_point deadline)
{
    // Numeric addresses need no resolver.
    const addrinfo numericHints = hintsFor(AI_NUMERICHOST | AI_NUMERICSERV);
    addrinfo* list = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &numericHints, &list) == 0) {
        std::vector<Address> addresses = addressesOf(list);
        freeaddrinfo(list);
        return addresses;
    }
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host, port] {
        // No AI_ADDRCONFIG: on a host whose only interface is the loopback
        // one it would hide the loopback addresses themselves.
        const addrinfo hints = hintsFor(0);
        addrinfo* found = nullptr;
        std::vector<Address> addresses;
        if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) == 0) {
            addresses = addressesOf(found);
            freeaddrinfo(found);
        }
        std::lock_guard lock(lookup->mutex);
        lookup->addresses = std::move(addresses);
        lookup->finished = true;
        lookup->done.notify_all();
    }).detach();
    std::unique_lock lock(lookup->mutex);
    if (!lookup->done.wait_until(lock, deadline, [&] { return lookup->finished; }))
        return {};
    return lookup->addresses;
}

int remainingMilliseconds(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

int connectTo(const Address& address, Clock::time_point deadline, std::string& failure)
{
    const int fd = ::socket(address.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        failure = GpsdText::reason(errno);
        return -1;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address.storage), address.length) == 0)
        return fd;
    int error = errno;
    if (error == EINPROGRESS) {
        pollfd pfd{fd, POLLOUT, 0};
        int ready = 0;
        do {
            ready = ::poll(&pfd, 1, remainingMilliseconds(deadline));
        } while (ready < 0 && errno == EINTR);
        socklen_t length = sizeof(error);
        if (ready == 0)
            error = ETIMEDOUT;
        else if (ready < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            error = errno;
        if (error == 0)
            return fd;
    }
    failure = GpsdText::reason(error);
    ::close(fd);
    return -1;
}

std::string numericHostOf(const Address& address)
{
    char text[NI_MAXHOST] = {};
    if (getnameinfo(reinterpret_cast<const sockaddr*>(&address.storage), address.length, text, sizeof(text), nullptr, 0,
            NI_NUMERICHOST)
        != 0)
        return {};
    return text;
}

} // namespace

TcpConnector::Connection TcpConnector::connect(
    const std::string& host, const std::string& port, std::chrono::milliseconds bound)
{
    const Clock::time_point deadline = Clock::now() + bound;
    const std::vector<Address> addresses = resolve(host, port, deadline);
    Connection connection;
    connection.failure = Clock::now() >= deadline ? "no answer to the name lookup" : "host not found";
    for (const Address& address : addresses) {
        if (Clock::now() >= deadline) {
            connection.failure = GpsdText::reason(ETIMEDOUT);
            break;
        }
        connection.fd = connectTo(address, deadline, connection.failure);
        if (connection.fd >= 0) {
            connection.numericHost = numericHostOf(address);
            connection.failure.clear();
            break;
        }
    }
    return connection;
}

} // namespace navora
