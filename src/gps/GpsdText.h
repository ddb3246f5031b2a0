#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace navora {

// Small helpers shared by the two protocols of the gpsd link.
class GpsdText {
public:
    // The longest report line gpsd sends.
    static constexpr size_t maxLine = 10240;

    // Writes all of text to the socket, without raising SIGPIPE when the
    // server has gone. False when it could not all be written.
    static bool sendAll(int fd, std::string_view text);
    // A short, printable rendering of a received line for the log.
    static std::string excerpt(std::string_view line);
    // The first line of received is gpsd 3's JSON greeting, a VERSION report.
    static bool isVersionReport(std::string_view received);
    // strerror's text as part of a sentence: "connection refused".
    static std::string reason(int error);
};

} // namespace navora
