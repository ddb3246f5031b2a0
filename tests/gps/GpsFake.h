#pragma once

#include <filesystem>
#include <string>

#include <sys/types.h>

namespace navora::test {

// A real gpsd replaying an NMEA log once, run by gpsd's own gpsfake on a
// loopback port: started by the constructor (which waits until gpsd
// answers), stopped with all it started by the destructor.
class GpsFake {
public:
    // cycle: seconds between two sentences; port: 0 for a free one.
    explicit GpsFake(const std::filesystem::path& log, double cycle = 0.01, int port = 0);
    ~GpsFake();
    GpsFake(const GpsFake&) = delete;

    static bool available();
    bool ready() const { return m_ready; }
    int port() const { return m_port; }
    std::string portText() const { return std::to_string(m_port); }

private:
    pid_t m_pid = -1;
    int m_port = 0;
    bool m_ready = false;
};

} // namespace navora::test
