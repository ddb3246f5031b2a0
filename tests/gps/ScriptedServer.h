#pragma once

#include "gps/GpsdLink.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace navora::test {

// Bounds short enough for the suite: on the loopback interface a connection
// (or its refusal) is immediate, and a silent server is silent.
inline std::unique_ptr<GpsdLink> fastLink()
{
    GpsdLink::Timeouts timeouts;
    timeouts.connect = std::chrono::milliseconds(1000);
    timeouts.greeting = std::chrono::milliseconds(300);
    return std::make_unique<GpsdLink>(timeouts);
}

// A loopback port on which nothing listens (free a moment ago).
int unusedPort();

// A listener whose queue is full, so that a further connection attempt is
// never answered: a host that drops every packet.
class BlackHole {
public:
    BlackHole();
    ~BlackHole();
    BlackHole(const BlackHole&) = delete;
    int port() const { return m_port; }

private:
    int m_port = 0;
    int m_listenFd = -1;
    std::vector<int> m_queued;
};

// The lines from the first one equal to first on: what one step logged.
std::vector<std::string> linesFrom(const std::vector<std::string>& lines, const std::string& first);

// A loopback TCP server playing a script against each client in turn, on a
// thread of its own: a fake gpsd, well-behaved or not. It records every line
// a client sends.
class ScriptedServer {
public:
    // One client, as the script on the server's thread sees it.
    class Connection {
    public:
        Connection(ScriptedServer& server, int fd, int number)
            : m_server(server)
            , m_fd(fd)
            , m_number(number)
        {
        }
        // 1 for the first client, and so on.
        int number() const { return m_number; }
        // The next line (with its line feed); nullopt once the client closed,
        // the server stops or the time runs out.
        std::optional<std::string> readLine(std::chrono::milliseconds limit = std::chrono::seconds(30));
        bool send(std::string_view bytes);
        // Waits without reading; false when the server is stopping.
        bool idle(std::chrono::milliseconds duration);
        bool stopping() const { return m_server.m_stopping; }
        bool closed() const { return m_closed; }

    private:
        ScriptedServer& m_server;
        int m_fd;
        int m_number;
        bool m_closed = false;
        std::string m_buffer;
    };
    using Script = std::function<void(Connection& client)>;

    explicit ScriptedServer(Script script);
    ~ScriptedServer();

    int port() const { return m_port; }
    std::string portText() const { return std::to_string(m_port); }

    struct Received {
        int connection;
        std::string line;
        std::chrono::steady_clock::time_point when;
    };
    std::vector<Received> received() const;
    // The lines of one connection (numbered from 1).
    std::vector<std::string> linesOf(int connection) const;

    // The old-style gpsd: silent until asked, then one reply per command.
    static Script singleLetterServer();
    // A single-letter reply with a 3D fix, mode, satellites and on-line state.
    static std::string fixReply();

private:
    void serve();

    Script m_script;
    int m_port = 0;
    int m_listenFd = -1;
    int m_stopFd = -1;
    std::atomic<bool> m_stopping{false};
    int m_connections = 0;
    mutable std::mutex m_mutex;
    std::vector<Received> m_received;
    std::thread m_thread;
};

} // namespace navora::test
