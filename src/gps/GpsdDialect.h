#pragma once

#include "gps/GPSLink.h"

#include <string>
#include <string_view>

namespace navora {

// One open connection to gpsd in one of its protocols. GpsdLink picks the
// protocol when it connects and forwards the link operations here.
class GpsdDialect {
public:
    virtual ~GpsdDialect() = default;

    // Sends a command of the single-letter protocol, translated as needed.
    virtual int query(std::string_view command) = 0;
    // Reads what has arrived into record and calls hook once per report;
    // -1 when the connection failed or was closed by the server.
    virtual int poll(GPSRecord& record, const GPSLink::RawHook& hook) = 0;
    virtual int descriptor() const = 0;
    virtual bool pending() const = 0;
    // Why the last poll failed; empty when not known.
    virtual std::string failure() const = 0;
    // How many receivers the server lists; -1 while it has not said.
    virtual int receiverCount() const { return -1; }
    // The server has shown that it speaks JSON after all (a late greeting).
    virtual bool heardJson() const { return false; }

protected:
    GpsdDialect() = default;
    GpsdDialect(const GpsdDialect&) = default;
    GpsdDialect& operator=(const GpsdDialect&) = default;
};

} // namespace navora
