// The gpsd link and the GPS thread.
#include "gps/GPSController.h"

#include "core/Log.h"
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"

#include <cerrno>

#include <poll.h>

namespace navora {

void GPSController::logConnecting(const std::string& server, const std::string& port) const
{
    if (!server.empty())
        Log::format("Connecting to gpsd server %s, port %s...", server.c_str(), port.c_str());
}

void GPSController::openLink()
{
    const std::string server = this->server();
    const std::string port = this->port();
    logConnecting(server, port);
    if (!m_gps1->open(server, port)) {
        Log::line("Unable to open gpsd connection.");
        return;
    }
    Log::line("Connected to gpsd.");
    m_running = true;
    m_gps1->query("omyx\n");
    m_lastStatusRequest = std::chrono::steady_clock::now();
    m_wake.sleepFor(m_timings.pause);
    m_gps1->query("N=" + std::to_string(m_gpsdProtocol) + "\n");
    installRawHook();
    m_gps1->query("w+x\n");
    clearSats();
    // Only now, so that reports are taken in by the GPS thread alone.
    m_center.addObserver(this, TRVgpsUpdateReceived, [this](const NotificationObject& object) { updateGPS(object); });
    m_thread = std::thread([this] { runGpsThread(); });
}

void GPSController::installRawHook()
{
    m_gps1->setRawHook([this](const GPSRecord& record, std::string_view text) { update_notify(record, text); });
}

void GPSController::update_notify(const GPSRecord& record, std::string_view text)
{
    if (text.empty())
        return;
    m_center.post(TRVgpsUpdateReceived, NotificationObject(static_cast<double>(record.fix.mode)));
}

void GPSController::runGpsThread()
{
    while (m_running) {
        switch (waitForReport()) {
        case Wait::Woken:
            m_wake.drain();
            if (m_running && m_reopenRequested && !reopenLink())
                return;
            break;
        case Wait::Readable:
            // A failed read is the server gone (or a line no client could
            // hold): the socket error of the protocol, met with one reopen.
            if (m_gps1->poll() < 0 && m_running && !reopenLink())
                return;
            break;
        case Wait::Timeout:
            m_gps1->query("X\n");
            m_wake.sleepFor(m_timings.pause);
            break;
        case Wait::Failed:
            if (!reopenLink())
                return;
            break;
        }
    }
    Log::line("exiting GPS thread");
}

GPSController::Wait GPSController::waitForReport()
{
    const int fd = m_gps1->descriptor();
    if (fd < 0)
        return Wait::Failed;
    const bool pending = m_gps1->pending();
    pollfd fds[2] = {{m_wake.fd(), POLLIN, 0}, {fd, POLLIN, 0}};
    const int timeout = pending ? 0 : static_cast<int>(m_timings.quietWait.count());
    int ready = 0;
    do {
        ready = ::poll(fds, 2, timeout);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0)
        return Wait::Failed;
    if (fds[0].revents & POLLIN)
        return Wait::Woken;
    if (pending || (fds[1].revents & (POLLIN | POLLHUP | POLLERR)))
        return Wait::Readable;
    if (fds[1].revents & POLLNVAL)
        return Wait::Failed;
    return Wait::Timeout;
}

bool GPSController::reopenLink()
{
    Log::line("gps: socket error");
    Log::line("Attempting to reopen gpsd connection...");
    m_wake.sleepFor(m_timings.pause);
    if (!m_running)
        return true;
    m_reopenRequested = false;
    const std::string server = this->server();
    const std::string port = this->port();
    m_gps1->close();
    logConnecting(server, port);
    if (!m_gps1->open(server, port)) {
        Log::line("Unable to open gpsd connection.");
        m_running = false;
        return false;
    }
    installRawHook();
    if (m_gps1->query("w+x\n") != 0) {
        Log::line("Unable to re-establish gpsd link - stopping.");
        m_running = false;
        return true;
    }
    Log::line("Connection re-established");
    return true;
}

void GPSController::handleChangeServerPort(const NotificationObject&)
{
    copyServerPort();
    if (!m_running)
        return;
    Log::line("Change of server received - closing gpsd connection (should reopen automatically)");
    // The GPS thread closes and reopens the link itself, so the handle it is
    // using never goes away under it.
    m_reopenRequested = true;
    m_wake.signal();
}

void GPSController::askAgainForStatus()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastStatusRequest < m_timings.quietWait)
        return;
    m_lastStatusRequest = now;
    m_gps1->query("omyx\n");
}

} // namespace navora
