#pragma once

#include "gps/GPSLink.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

namespace navora {

class GpsdDialect;

// The link to a real gpsd server. Each connection picks its protocol: gpsd 3
// and later greet every client at once with a JSON VERSION report, older
// servers say nothing until asked. So open() connects (within a time bound),
// waits briefly for that greeting and then talks JSON through libgps, or the
// single-letter protocol on the connection it already has, until a late
// greeting shows the server speaks JSON after all.
class GpsdLink : public GPSLink {
public:
    enum class Protocol { None, Json, SingleLetter };

    struct Timeouts {
        // Name lookup and connection, together.
        std::chrono::milliseconds connect{3000};
        // How long a silent server is given to greet before it is taken for
        // a single-letter server.
        std::chrono::milliseconds greeting{1000};
    };

    GpsdLink();
    explicit GpsdLink(Timeouts timeouts);
    ~GpsdLink() override;
    GpsdLink(const GpsdLink&) = delete;
    GpsdLink& operator=(const GpsdLink&) = delete;

    bool open(const std::string& server, const std::string& port) override;
    int query(std::string_view command) override;
    int poll() override;
    void setRawHook(RawHook hook) override;
    void close() override;
    int descriptor() const override;
    bool pending() const override;
    const GPSRecord& record() const override { return m_record; }
    std::string failure() const override;
    int receiverCount() const override;

    // May be read from any thread.
    Protocol protocol() const { return m_protocol.load(); }

private:
    // The single-letter connection's server greeted in JSON after all.
    bool moveToJson();

    Timeouts m_timeouts;
    // Where the connection went, for a second connection to the same server.
    std::string m_numericHost;
    std::string m_port;
    std::string m_driverMode;
    std::string m_failure;
    std::unique_ptr<GpsdDialect> m_dialect;
    std::atomic<Protocol> m_protocol{Protocol::None};
    GPSRecord m_record;
    RawHook m_hook;
};

} // namespace navora
