// "navora --headless", the real program, against a real gpsd: what it
// writes is what the GPS window would show.
#include "GpsFake.h"
#include "NmeaLog.h"
#include "ScratchDirectory.h"

#include <UnitSystem.h>
#include <UtcTime.h>

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <fstream>
#include <sstream>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace navora::test {
namespace {

using namespace std::chrono_literals;

// The program running with its standard output read line by line.
class ProgramRun {
public:
    ProgramRun(std::vector<std::string> arguments, const std::filesystem::path& errors,
        const std::filesystem::path& configHome)
    {
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0)
            return;
        m_output = pipeFds[0];
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        // The user's own settings stay out of it.
        std::vector<std::string> environment = {"XDG_CONFIG_HOME=" + configHome.string()};
        for (char** variable = environ; *variable; ++variable) {
            if (std::string_view(*variable).rfind("XDG_CONFIG_HOME=", 0) != 0)
                environment.emplace_back(*variable);
        }
        std::vector<char*> envp;
        for (std::string& variable : environment)
            envp.push_back(variable.data());
        envp.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
    }

    ~ProgramRun()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_output >= 0)
            ::close(m_output);
    }

    bool started() const { return m_pid > 0; }

    // Reads output until a line holds text (true) or the time is up.
    bool readUntil(const std::string& text, std::chrono::milliseconds limit)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            for (size_t i = m_searched; i < m_lines.size(); ++i) {
                if (m_lines[i].find(text) != std::string::npos) {
                    m_searched = i + 1;
                    return true;
                }
            }
            m_searched = m_lines.size();
            if (!readSome(100ms))
                return false;
        }
        return false;
    }

    // Sends SIGTERM, reads the rest and returns the exit status (-1 if it
    // did not end by itself in time).
    int terminate(std::chrono::milliseconds limit)
    {
        ::kill(m_pid, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline && readSome(100ms)) { }
        int status = 0;
        while (std::chrono::steady_clock::now() < deadline) {
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(20ms);
        }
        return -1;
    }

    const std::vector<std::string>& lines() const { return m_lines; }

private:
    // False at the end of the output.
    bool readSome(std::chrono::milliseconds wait)
    {
        pollfd pfd{m_output, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(wait.count())) <= 0)
            return true;
        char buffer[65536];
        const ssize_t got = ::read(m_output, buffer, sizeof(buffer));
        if (got <= 0)
            return false;
        m_partial.append(buffer, static_cast<size_t>(got));
        size_t end;
        while ((end = m_partial.find('\n')) != std::string::npos) {
            m_lines.push_back(m_partial.substr(0, end));
            m_partial.erase(0, end + 1);
        }
        return true;
    }

    pid_t m_pid = -1;
    int m_output = -1;
    std::string m_partial;
    std::vector<std::string> m_lines;
    size_t m_searched = 0;
};

std::string fileText(const std::filesystem::path& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(Headless, WritesTheGPSWindowAsJsonLinesUntilInterrupted)
{
    if (!GpsFake::available())
        GTEST_SKIP() << "gpsfake is not installed (Debian package gpsd-clients)";
    ScratchDirectory scratch;
    // A long run without a fix first: the feed starts with gpsfake, and the
    // program takes its time to start (more so under a sanitizer).
    const auto epochs = NmeaLog::path(1714564800.7, 48.85, 2.35, 15.0, 90.0, {{1, 80}, {3, 25}});
    const NmeaLog::Epoch& last = epochs.back();
    NmeaLog::write(epochs, scratch.file("headless.nmea").string());
    GpsFake fake(scratch.file("headless.nmea"));
    ASSERT_TRUE(fake.ready());

    ProgramRun run({NAVORA_PROGRAM, "--headless", "--server", "127.0.0.1", "--port", fake.portText(), "--units", "m"},
        scratch.file("stderr.txt"), scratch.path());
    ASSERT_TRUE(run.started());
    ASSERT_TRUE(run.readUntil(R"({"alert":"GPSOffline"})", 60s)) << fileText(scratch.file("stderr.txt"));
    EXPECT_EQ(run.terminate(10s), 0);

    std::vector<QJsonObject> objects;
    std::vector<std::string> alerts;
    for (const std::string& line : run.lines()) {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line;
        ASSERT_TRUE(document.isObject()) << line;
        objects.push_back(document.object());
        if (objects.back().contains("alert"))
            alerts.push_back(objects.back().value("alert").toString().toStdString());
    }
    ASSERT_FALSE(objects.empty());
    // The unit labels first, in the units asked for.
    EXPECT_EQ(objects.front().value("unitsSpeed").toString(), "km/h");
    EXPECT_EQ(objects.front().value("unitsAltitude").toString(), "m");
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(std::count(alerts.begin(), alerts.end(), "GPSModeUp3D"), 1);
    EXPECT_EQ(alerts.back(), "GPSOffline");

    // The last report with the fix shows the last epoch of the log.
    const auto lastFix = std::find_if(objects.rbegin(), objects.rend(),
        [](const QJsonObject& o) { return o.value("fixBox.title").toString() == "3D fix"; });
    ASSERT_NE(lastFix, objects.rend());
    const UnitSystem& metric = *UnitSystem::forCode('m');
    EXPECT_NEAR(lastFix->value("fixLatitude").toDouble(), last.latitude, 1e-5);
    EXPECT_NEAR(lastFix->value("fixLongitude").toDouble(), last.longitude, 1e-5);
    EXPECT_NEAR(lastFix->value("fixAltitude").toDouble(), last.altitude, 1e-6);
    EXPECT_NEAR(lastFix->value("fixSpeed").toDouble(), last.speedKnots * 1852.0 / 3600.0 * metric.spdconv, 1e-2);
    EXPECT_NEAR(lastFix->value("fixTrack").toDouble(), 90.0, 1e-6);
    const auto second = std::chrono::sys_seconds(std::chrono::seconds(static_cast<long long>(std::floor(last.time))));
    EXPECT_EQ(lastFix->value("fixTime").toString().toStdString(), UtcTime::text(second));
    EXPECT_EQ(lastFix->value("fixTimeLocal").toString().toStdString(), UtcTime::iso(second));
    EXPECT_EQ(lastFix->value("fixModeColor.colour").toString(), "green");
    EXPECT_EQ(lastFix->value("satsInView.columns").toInt(), 12);
    EXPECT_EQ(lastFix->value("gpsDataIndicator.steps").toInt(), 1);

    // After the interrupt: the windows close, and the log says goodbye.
    EXPECT_EQ(objects.back().value("window.visible"), QJsonValue(false));
    const std::string errors = fileText(scratch.file("stderr.txt"));
    EXPECT_NE(errors.find("Connected to gpsd.\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find("GPS Controller shutting down\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find("exiting GPS thread\n"), std::string::npos) << errors;
}

TEST(Headless, ExplainsItselfAndRefusesWhatItCannotUse)
{
    ScratchDirectory scratch;
    struct Row {
        std::vector<std::string> arguments;
        int status;
        std::string firstLine;
    };
    const Row rows[] = {
        {{"--headless", "--help"}, 0, "Usage: navora --headless [--server HOST] [--port PORT] [--units n|m|i|s]"},
        {{"--headless", "--port", "123456"}, 2, ""},
        {{"--headless", "--units", "x"}, 2, ""},
        {{"--headless", "--server"}, 2, ""},
        {{"--headless", "--frobnicate"}, 2, ""},
        // Nothing listens there.
        {{"--headless", "--server", "127.0.0.1", "--port", "1"}, 1, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.arguments));
        std::vector<std::string> arguments = {NAVORA_PROGRAM};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        ProgramRun run(arguments, scratch.file("stderr.txt"), scratch.path());
        ASSERT_TRUE(run.started());
        run.readUntil("\x01", 10s); // to the end of the output
        EXPECT_EQ(run.terminate(5s), row.status);
        if (!row.firstLine.empty()) {
            ASSERT_FALSE(run.lines().empty());
            EXPECT_EQ(run.lines().front(), row.firstLine);
        }
    }
}

} // namespace
} // namespace navora::test
