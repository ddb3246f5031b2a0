#pragma once

#include "gps/GpsdDialect.h"
#include "gps/LineBuffer.h"
#include "gps/LogThrottle.h"

#include <string>

namespace navora {

// gpsd's single-letter protocol (gpsd 2 and earlier): commands go out as
// they are written, and each reply line is read into the record by
// LetterReply. The connection is a plain socket of our own. A VERSION
// greeting arriving at any time shows the server speaks JSON after all:
// the link then moves to that protocol.
class LetterDialect : public GpsdDialect {
public:
    // Takes over fd (connected, non-blocking); greeting holds what the server
    // sent before the protocol was chosen, which is read as replies too.
    LetterDialect(int fd, std::string greeting);
    ~LetterDialect() override;
    LetterDialect(const LetterDialect&) = delete;
    LetterDialect& operator=(const LetterDialect&) = delete;

    int query(std::string_view command) override;
    int poll(GPSRecord& record, const GPSLink::RawHook& hook) override;
    int descriptor() const override { return m_fd; }
    bool pending() const override { return !m_greeting.empty(); }
    std::string failure() const override { return m_failure; }
    bool heardJson() const override { return m_heardJson; }

private:
    int handleBytes(std::string_view bytes, GPSRecord& record, const GPSLink::RawHook& hook);

    int m_fd;
    std::string m_greeting;
    LineBuffer m_lines;
    LogThrottle m_unreadable;
    std::string m_failure;
    // A JSON server greets on connecting, sometimes later than it was
    // waited for; its greeting ends this protocol on the connection.
    bool m_heardJson = false;
};

} // namespace navora
