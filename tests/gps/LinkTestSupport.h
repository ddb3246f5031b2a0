#pragma once

#include "gps/GpsdLink.h"

#include <memory>
#include <string>
#include <vector>

namespace navora::test {

// Bounds short enough for the suite: a connection (or its refusal) on the
// loopback interface is immediate, and a silent server is silent.
inline GpsdLink::Timeouts fastLinkTimeouts()
{
    GpsdLink::Timeouts timeouts;
    timeouts.connect = std::chrono::milliseconds(1000);
    timeouts.greeting = std::chrono::milliseconds(300);
    return timeouts;
}

inline std::unique_ptr<GpsdLink> fastLink()
{
    return std::make_unique<GpsdLink>(fastLinkTimeouts());
}

// A loopback port on which nothing listens (free a moment ago).
int unusedPort();

// A listener whose queue is full, so that a further connection attempt is
// never answered: a host that drops every packet, on the loopback interface.
class BlackHole {
public:
    BlackHole();
    ~BlackHole();
    BlackHole(const BlackHole&) = delete;
    BlackHole& operator=(const BlackHole&) = delete;

    int port() const { return m_port; }

private:
    int m_listenFd = -1;
    int m_port = 0;
    std::vector<int> m_queued;
};

// The lines that came after the first one equal to first (all of them when
// first is empty): the part of a log that a step of a test produced.
std::vector<std::string> linesFrom(const std::vector<std::string>& lines, const std::string& first);

} // namespace navora::test
