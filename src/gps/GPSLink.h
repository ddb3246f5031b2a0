#pragma once

#include "nav/GPSRecord.h"

#include <functional>
#include <string>
#include <string_view>

namespace navora {

// The connection to a gpsd server as the GPS controller sees it: open, send
// a command, poll for reports, install the raw hook, close, and the record
// that each poll fills. Commands are written in gpsd's single-letter protocol
// ("omyx\n", "N=0\n", "w+x\n", "X\n"); a link to a server that speaks another
// protocol sends their equivalents.
//
// A link is used by one thread at a time: the user-interface thread while the
// GPS thread has not started, then the GPS thread alone.
class GPSLink {
public:
    // Called once per received report, after the record has taken it in,
    // with the report's text (without its line end), on the polling thread.
    using RawHook = std::function<void(const GPSRecord& record, std::string_view text)>;

    virtual ~GPSLink() = default;

    // Connects to server (the local host when empty) and port. False when no
    // server could be reached; the link stays closed.
    virtual bool open(const std::string& server, const std::string& port) = 0;
    // Sends one command; 0 on success, non-zero when it could not be sent.
    virtual int query(std::string_view command) = 0;
    // Reads what has arrived and hands each complete report to the raw hook.
    // Returns the number of reports, or -1 when the connection has failed or
    // the server has closed it.
    virtual int poll() = 0;
    virtual void setRawHook(RawHook hook) = 0;
    virtual void close() = 0;

    // What to wait on for the next report; -1 while closed.
    virtual int descriptor() const = 0;
    // True when reports have been received but not yet handed on, so the
    // next poll must not wait for the descriptor.
    virtual bool pending() const = 0;
    virtual const GPSRecord& record() const = 0;

    // Why the last open or poll failed, in a few words for the user
    // ("connection refused"); empty when not known.
    virtual std::string failure() const { return {}; }
    // How many receivers the server lists; -1 while it has not said.
    virtual int receiverCount() const { return -1; }

protected:
    GPSLink() = default;
    GPSLink(const GPSLink&) = default;
    GPSLink& operator=(const GPSLink&) = default;
};

} // namespace navora
