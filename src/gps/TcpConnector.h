#pragma once

#include <chrono>
#include <string>

namespace navora {

// Opens a TCP connection within a time bound: the name lookup and the
// connection attempts to each of the host's addresses together take at most
// the bound, so an unreachable or silent host never holds the caller longer.
// A failure says why, as the last address tried failed.
class TcpConnector {
public:
    struct Connection {
        // Connected, non-blocking, close-on-exec; -1 on failure.
        int fd = -1;
        // The address that answered, in numeric form ("127.0.0.1", "::1").
        std::string numericHost;
        // Why it failed, in a few words ("connection refused").
        std::string failure;
    };

    static Connection connect(const std::string& host, const std::string& port, std::chrono::milliseconds bound);
};

} // namespace navora
