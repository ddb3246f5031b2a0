// The gpsd link and the GPS thread.
#include "gps/GPSController.h"

#include "nav/DisplayFields.h"

#include "core/Log.h"
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"

#include <algorithm>
#include <cerrno>

#include <poll.h>

namespace navora {

using Clock = std::chrono::steady_clock;

void GPSController::logConnecting(const std::string& server, const std::string& port) const
{
    if (!server.empty())
        Log::format("Connecting to gpsd server %s, port %s...", server.c_str(), port.c_str());
}

std::string GPSController::endpoint() const
{
    const std::string server = this->server();
    return (server.empty() ? std::string("localhost") : server) + ":" + port();
}

void GPSController::startLink()
{
    m_running = true;
    // Shown before the thread starts, which shows every change after it.
    showLinkStatus({LinkStatus::Stage::Connecting, endpoint(), {}, {}});
    // Reports are posted and taken in on the GPS thread alone.
    m_center.addObserver(this, TRVgpsUpdateReceived, [this](const NotificationObject& object) { updateGPS(object); });
    m_thread = std::thread([this] { runGpsThread(); });
}

// The link's life on the GPS thread: open; serve it until it fails; one
// reopen after a pause; then attempts at growing intervals until one
// succeeds, the server is changed (an attempt at once) or the link is
// stopped.
void GPSController::runGpsThread()
{
    bool up = openLink(Attempt::First);
    int failures = up ? 0 : 1;
    while (m_running) {
        if (up) {
            const std::string reason = serveLink();
            m_connected = false;
            if (!m_running)
                break;
            up = reopenLink(reason);
            failures = up ? 0 : 1;
        } else {
            // Given up for now: the receiver is off line until it answers.
            receiverLinkLost();
            if (waitToRetry(failures)) {
                up = openLink(Attempt::First);
                failures = up ? 0 : 1;
            } else if (m_running) {
                up = openLink(Attempt::Retry);
                failures = up ? 0 : failures + 1;
            }
        }
    }
    m_connected = false;
    Log::line("exiting GPS thread");
}

bool GPSController::openLink(Attempt attempt)
{
    m_reopenRequested = false;
    const std::string server = this->server();
    const std::string port = this->port();
    m_gps1->close();
    if (attempt == Attempt::First)
        logConnecting(server, port);
    showLinkStatus({LinkStatus::Stage::Connecting, endpoint(), {}, {}});
    if (!m_gps1->open(server, port)) {
        m_openFailure = m_gps1->failure();
        if (attempt == Attempt::First)
            Log::line("Unable to open gpsd connection.");
        return false;
    }
    Log::line(attempt == Attempt::First ? "Connected to gpsd." : "Connection re-established");
    sendStartCommands();
    m_connected = true;
    showLinkStatus({LinkStatus::Stage::Connected, endpoint(), {}, {}});
    return true;
}

void GPSController::sendStartCommands()
{
    m_gps1->query("omyx\n");
    m_lastStatusRequest = Clock::now();
    m_wake.sleepFor(m_timings.pause);
    m_gps1->query("N=" + std::to_string(m_gpsdProtocol.load()) + "\n");
    installRawHook();
    m_gps1->query("w+x\n");
    clearSats();
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
    const GPSRecord& now = m_gps1->record();
    showLinkStatus({LinkStatus::connectedStage(m_gps1->receiverCount(), now.online, now.fix.mode), endpoint(), {}, {}});
}

std::string GPSController::serveLink()
{
    while (m_running) {
        switch (waitForReport()) {
        case Wait::Woken:
            m_wake.drain();
            if (m_running && m_reopenRequested)
                return "closed for the change of server";
            break;
        case Wait::Readable:
            // A failed read is the server gone (or a line no client could
            // hold): the socket error of the protocol, met with a reopen.
            if (m_gps1->poll() < 0) {
                const std::string failure = m_gps1->failure();
                return failure.empty() ? std::string("the connection failed") : failure;
            }
            break;
        case Wait::Timeout:
            m_gps1->query("X\n");
            m_wake.sleepFor(m_timings.pause);
            break;
        case Wait::Failed:
            return "the connection failed";
        }
    }
    return {};
}

GPSController::Wait GPSController::waitForReport()
{
    const int fd = m_gps1->descriptor();
    if (fd < 0)
        return Wait::Failed;
    const bool pending = m_gps1->pending();
    pollfd fds[2] = {{m_wake.fd(), POLLIN, 0}, {fd, POLLIN, 0}};
    // Waits in stretches of at most an idle tick, so the receiver's
    // staleness is checked while the link is quiet.
    const Clock::time_point quietEnd = Clock::now() + m_timings.quietWait;
    int ready = 0;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(quietEnd - Clock::now());
        const int timeout = pending
            ? 0
            : static_cast<int>(std::clamp(left, std::chrono::milliseconds::zero(), m_timings.idleTick).count());
        ready = ::poll(fds, 2, timeout);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready != 0 || pending || left <= m_timings.idleTick)
            break;
        idleTick();
    }
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

bool GPSController::reopenLink(const std::string& reason)
{
    Log::line("gps: socket error: " + reason);
    Log::line("Attempting to reopen gpsd connection...");
    // A server change during the pause is taken by this reopen.
    if (m_wake.sleepFor(m_timings.pause))
        m_wake.drain();
    if (!m_running)
        return false;
    m_reopenRequested = false;
    const std::string server = this->server();
    const std::string port = this->port();
    m_gps1->close();
    logConnecting(server, port);
    showLinkStatus({LinkStatus::Stage::Connecting, endpoint(), {}, {}});
    if (!m_gps1->open(server, port)) {
        m_openFailure = m_gps1->failure();
        Log::line("Unable to open gpsd connection.");
        return false;
    }
    installRawHook();
    if (m_gps1->query("w+x\n") != 0) {
        m_openFailure = "the server did not take the watch command";
        Log::line("Unable to re-establish gpsd link - stopping.");
        m_gps1->close();
        return false;
    }
    Log::line("Connection re-established");
    m_connected = true;
    showLinkStatus({LinkStatus::Stage::Connected, endpoint(), {}, {}});
    return true;
}

std::chrono::milliseconds GPSController::retryDelay(int failures) const
{
    std::chrono::milliseconds delay = m_timings.retryFirst;
    for (int i = 1; i < failures && delay < m_timings.retryMax; ++i)
        delay *= 2;
    return std::min(delay, m_timings.retryMax);
}

bool GPSController::waitToRetry(int failures)
{
    const std::chrono::milliseconds delay = retryDelay(failures);
    const std::string where = endpoint();
    const std::string reason = m_openFailure.empty() ? std::string("no answer") : m_openFailure;
    Log::line("Unable to open gpsd connection to " + where + " (" + reason + ") - trying again in "
        + LinkStatus::duration(delay));
    showLinkStatus({LinkStatus::Stage::CannotConnect, where, reason, delay});
    const Clock::time_point deadline = Clock::now() + delay;
    while (m_running) {
        idleTick();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left <= std::chrono::milliseconds::zero())
            return false;
        if (m_wake.sleepFor(std::min(left, m_timings.idleTick))) {
            m_wake.drain();
            if (m_running && m_reopenRequested)
                return true;
        }
    }
    return false;
}

// The receiver's staleness is checked here: the engine puts a receiver that
// has gone silent off line.
void GPSController::idleTick()
{
    checkReceiverStale();
}

void GPSController::showLinkStatus(LinkStatus status)
{
    if (m_shownStatus == status)
        return;
    m_shownStatus = status;
    const std::string text = status.text();
    DisplayBatch batch;
    batch.setText(fields::linkState, text);
    batch.setText(fields::mnLinkState, text);
    writeWhileRunning(std::move(batch));
}

void GPSController::handleChangeServerPort(const NotificationObject&)
{
    copyServerPort();
    if (!m_running)
        return;
    if (m_connected)
        Log::line("Change of server received - closing gpsd connection (should reopen automatically)");
    else
        Log::line("Change of server received - connecting at once");
    // The GPS thread closes and reopens the link itself, so the handle it is
    // using never goes away under it.
    m_reopenRequested = true;
    m_wake.signal();
}

void GPSController::askAgainForStatus()
{
    const auto now = Clock::now();
    if (now - m_lastStatusRequest < m_timings.quietWait)
        return;
    m_lastStatusRequest = now;
    m_gps1->query("omyx\n");
}

} // namespace navora
