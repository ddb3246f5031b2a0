#include "gps/JsonDialect.h"

#include "gps/GpsdText.h"

#include "core/Log.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gps.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/socket.h>

namespace navora {

namespace {

// Reports handed on per poll before the GPS thread gets to look at its own
// flags again; the rest stay buffered and count as pending.
constexpr int maxReportsPerPoll = 64;

// libgps 3.22 holds at most this much of a line (twice its 4096-byte report
// limit); a longer one fails the read.
constexpr int libgpsBuffer = 8192;

double seconds(const timespec_t& t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

int channelValue(double value)
{
    if (!std::isfinite(value))
        return 0;
    return static_cast<int>(std::clamp(std::lround(value), -1000000L, 1000000L));
}

bool isJsonObject(std::string_view line)
{
    return QJsonDocument::fromJson(QByteArray(line.data(), static_cast<qsizetype>(line.size()))).isObject();
}

bool startsWith(std::string_view line, std::string_view prefix)
{
    return line.substr(0, prefix.size()) == prefix;
}

// libgps writes commands with write(2): a server that has gone away would
// raise SIGPIPE, which ends the process. The signal is blocked on this thread
// for the write and a pending one taken back afterwards.
int sendWithoutSigpipe(gps_data_t* gps, const std::string& text)
{
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &pipe, &previous);
    const int result = gps_send(gps, "%s", text.c_str());
    sigset_t pending;
    sigpending(&pending);
    if (sigismember(&pending, SIGPIPE) == 1) {
        const timespec zero{0, 0};
        sigtimedwait(&pipe, nullptr, &zero);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return result;
}

} // namespace

JsonDialect::JsonDialect(std::unique_ptr<gps_data_t> gps)
    : m_gps(std::move(gps))
    // libgps buffers two maximal reports; a line never exceeds that.
    , m_message(2 * GpsdText::maxLine + 1)
{
}

std::unique_ptr<JsonDialect> JsonDialect::open(const std::string& host, const std::string& port)
{
    auto gps = std::make_unique<gps_data_t>();
    if (gps_open(host.c_str(), port.c_str(), gps.get()) != 0)
        return nullptr;
    // gps_read must never wait: the GPS thread waits in poll(2), where it can
    // also be woken, and a half-received line must not hold it in recv(2).
    const int flags = fcntl(gps->gps_fd, F_GETFL);
    if (flags < 0 || fcntl(gps->gps_fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        gps_close(gps.get());
        return nullptr;
    }
    return std::unique_ptr<JsonDialect>(new JsonDialect(std::move(gps)));
}

JsonDialect::~JsonDialect()
{
    gps_close(m_gps.get());
}

int JsonDialect::descriptor() const
{
    return m_gps->gps_fd;
}

std::string JsonDialect::translate(std::string_view command)
{
    // Current fix, mode, satellites and receiver state.
    if (command == "omyx\n")
        return "?POLL;?DEVICES;\n";
    // Watch on; gpsd answers with the device list as well.
    if (command == "w+x\n")
        return "?WATCH={\"enable\":true,\"json\":true};\n";
    if (command == "X\n")
        return "?DEVICES;\n";
    return {};
}

std::string JsonDialect::driverModeCommand(const std::string& path, int mode)
{
    QJsonObject device;
    device.insert(QLatin1String("path"), QString::fromStdString(path));
    device.insert(QLatin1String("native"), mode);
    return "?DEVICE=" + QJsonDocument(device).toJson(QJsonDocument::Compact).toStdString() + ";\n";
}

namespace {

std::optional<int> driverModeOf(std::string_view command)
{
    if (command.substr(0, 2) != "N=" || command.size() <= 3 || command.back() != '\n')
        return std::nullopt;
    const std::string_view digits = command.substr(2, command.size() - 3);
    int mode = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), mode);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return mode;
}

} // namespace

int JsonDialect::query(std::string_view command)
{
    if (const std::optional<int> mode = driverModeOf(command)) {
        m_driverMode = *mode;
        m_driverModeSent.clear();
        sendDriverMode();
        return 0;
    }
    const std::string text = translate(command);
    if (text.empty()) {
        Log::line("No gpsd JSON command for " + GpsdText::excerpt(command));
        return -1;
    }
    return sendWithoutSigpipe(m_gps.get(), text) == 0 ? 0 : -1;
}

int JsonDialect::poll(GPSRecord& record, const GPSLink::RawHook& hook)
{
    m_pending = false;
    int reports = 0;
    while (reports < maxReportsPerPoll) {
        m_message[0] = '\0';
        // What the next line sets, alone.
        m_gps->set = 0;
        errno = 0;
        const int status = gps_read(m_gps.get(), m_message.data(), static_cast<int>(m_message.size()));
        const int readErrno = errno;
        const bool gotLine = (m_gps->set & PACKET_SET) != 0;
        if (!gotLine && status < 0) {
            explainFailure(readErrno);
            return -1;
        }
        // No whole line buffered and none readable now.
        if (!gotLine)
            return reports;
        std::string_view line(m_message.data());
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        takeReport(line, record);
        sendDriverMode();
        ++reports;
        if (hook)
            hook(record, line);
    }
    m_pending = true;
    return reports;
}

// The connection failed: the server closed it, a line overran libgps's
// buffer (libgps says nothing, and the rest of the line may still wait), or
// the socket failed.
void JsonDialect::explainFailure(int readErrno)
{
    if (readErrno != 0 && readErrno != EAGAIN && readErrno != EWOULDBLOCK) {
        m_failure = GpsdText::reason(readErrno);
        return;
    }
    char next = 0;
    const ssize_t waiting = ::recv(m_gps->gps_fd, &next, 1, MSG_PEEK | MSG_DONTWAIT);
    if (waiting == 0)
        m_failure = "the server closed the connection";
    else
        m_failure = "line longer than " + std::to_string(libgpsBuffer) + " bytes";
}

void JsonDialect::sendDriverMode()
{
    if (!m_driverMode)
        return;
    for (const std::string& path : m_devices.typed()) {
        if (m_driverModeSent.count(path) != 0 || m_driverModeSent.size() >= 64)
            continue;
        m_driverModeSent.insert(path);
        if (sendWithoutSigpipe(m_gps.get(), driverModeCommand(path, *m_driverMode)) != 0)
            Log::line("Could not send the driver mode for " + GpsdText::excerpt(path));
    }
}

int JsonDialect::receiverCount() const
{
    if (m_devices.state() == GpsdDeviceList::State::Unknown)
        return -1;
    return static_cast<int>(m_devices.listed().size());
}

void JsonDialect::takeReport(std::string_view line, GPSRecord& record)
{
    if (startsWith(line, "{\"class\":\"ERROR\"")) {
        const QJsonObject error
            = QJsonDocument::fromJson(QByteArray(line.data(), static_cast<qsizetype>(line.size()))).object();
        Log::line("gpsd reported an error: "
            + GpsdText::excerpt(error.value(QLatin1String("message")).toString().toStdString()));
    }
    const GpsdDeviceList::State before = m_devices.state();
    const bool deviceReport = m_devices.read(line);
    if (!deviceReport && (startsWith(line, "{\"class\":\"TPV\"") || startsWith(line, "{\"class\":\"SKY\"")))
        m_devices.sawDataFrom(m_gps->dev.path);
    // libgps reads what it can and says nothing of the rest; a line that
    // neither it nor a JSON parser can read is worth a line in the log.
    if (!deviceReport && !line.empty() && (m_gps->set & ~PACKET_SET) == 0 && !isJsonObject(line))
        m_notJson.line("Ignoring gpsd report that is not JSON: " + GpsdText::excerpt(line));
    const GpsdDeviceList::State after = m_devices.state();
    // A closed receiver's last fix is history: the next one starts afresh.
    if (after == GpsdDeviceList::State::Inactive && before != after)
        forgetFix();
    copyInto(record);
    switch (after) {
    case GpsdDeviceList::State::Unknown:
        // Not yet told: counts as on line, as an unknown state does.
        record.online = GPSRecord::unknown;
        break;
    case GpsdDeviceList::State::Active:
        record.online = std::max(seconds(m_gps->online), 1.0);
        break;
    case GpsdDeviceList::State::Inactive:
        record.online = 0.0;
        break;
    }
}

void JsonDialect::forgetFix()
{
    gps_clear_fix(&m_gps->fix);
    m_gps->fix.mode = MODE_NOT_SEEN;
    m_gps->satellites_visible = 0;
}

void JsonDialect::copyInto(GPSRecord& record) const
{
    const gps_fix_t& fix = m_gps->fix;
    record.fix.mode = fix.mode;
    record.fix.time = seconds(fix.time);
    record.fix.latitude = fix.latitude;
    record.fix.longitude = fix.longitude;
    record.fix.altitude = fix.altMSL;
    record.fix.eph = fix.eph;
    record.fix.epv = fix.epv;
    record.fix.track = fix.track;
    record.fix.speed = fix.speed;
    record.fix.climb = fix.climb;
    // Of all the satellites in view, the record keeps those shown first.
    const int visible = std::clamp(m_gps->satellites_visible, 0, MAXCHANNELS);
    std::vector<GPSRecord::Channel> inView;
    inView.reserve(static_cast<size_t>(visible));
    for (int i = 0; i < visible; ++i) {
        const satellite_t& satellite = m_gps->skyview[i];
        inView.push_back({satellite.PRN, channelValue(satellite.ss), satellite.used ? 1 : 0});
    }
    std::stable_sort(inView.begin(), inView.end(), GPSRecord::Channel::shownBefore);
    const int kept = std::min(visible, GPSRecord::channelCount);
    record.satellites = kept;
    std::copy_n(inView.begin(), kept, record.channels.begin());
}

} // namespace navora
