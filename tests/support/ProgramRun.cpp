#include "support/ProgramRun.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace navora::test {

using namespace std::chrono_literals;

namespace {

// The variables of this process, those named in own replaced by own.
std::vector<std::string> mergedEnvironment(const std::vector<std::string>& own)
{
    std::vector<std::string> variables = own;
    for (char** variable = environ; *variable; ++variable) {
        const std::string text(*variable);
        const std::string name = text.substr(0, text.find('=') + 1);
        bool replaced = false;
        for (const std::string& mine : own)
            replaced = replaced || mine.rfind(name, 0) == 0;
        if (!replaced)
            variables.push_back(text);
    }
    return variables;
}

std::vector<char*> pointers(std::vector<std::string>& texts)
{
    std::vector<char*> result;
    for (std::string& text : texts)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

} // namespace

ProgramRun::ProgramRun(
    std::vector<std::string> arguments, const std::filesystem::path& errors, const std::filesystem::path& configHome)
{
    start(std::move(arguments), errors,
        {"XDG_CONFIG_HOME=" + configHome.string(), "XDG_DATA_HOME=" + configHome.string()});
}

ProgramRun::ProgramRun(std::vector<std::string> arguments, const std::filesystem::path& errors,
    const std::vector<std::string>& environment)
{
    start(std::move(arguments), errors, environment);
}

void ProgramRun::start(std::vector<std::string> arguments, const std::filesystem::path& errors,
    const std::vector<std::string>& environment)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return;
    m_output = pipeFds[0];
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv = pointers(arguments);
    std::vector<std::string> variables = mergedEnvironment(environment);
    std::vector<char*> envp = pointers(variables);
    if (posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
}

ProgramRun::~ProgramRun()
{
    if (m_pid > 0 && terminate(5s) == -1 && m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    if (m_output >= 0)
        ::close(m_output);
}

void ProgramRun::signal(int number) const
{
    if (m_pid > 0)
        ::kill(m_pid, number);
}

bool ProgramRun::readUntil(const std::string& text, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        for (; m_next < m_lines.size(); ++m_next) {
            if (m_lines[m_next].find(text) != std::string::npos) {
                ++m_next;
                return true;
            }
        }
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left <= 0ms || !readSome(std::min(left, 100ms)))
            return false;
    }
}

std::optional<std::string> ProgramRun::readLine(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (m_next == m_lines.size()) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left <= 0ms || !readSome(left))
            return std::nullopt;
    }
    return m_lines[m_next++];
}

int ProgramRun::terminate(std::chrono::milliseconds limit)
{
    if (m_pid <= 0)
        return -1;
    ::kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            // What it wrote before it ended; a child of its own may still
            // hold the output open, so no waiting for its end.
            pollfd pfd{m_output, POLLIN, 0};
            while (!m_ended && ::poll(&pfd, 1, 0) > 0)
                readSome(0ms);
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        // Read meanwhile, so it never blocks writing to a full pipe.
        if (m_ended || !readSome(20ms))
            std::this_thread::sleep_for(20ms);
    }
    return -1;
}

bool ProgramRun::readSome(std::chrono::milliseconds wait)
{
    if (m_ended || m_output < 0)
        return false;
    pollfd pfd{m_output, POLLIN, 0};
    if (::poll(&pfd, 1, static_cast<int>(wait.count())) <= 0)
        return true;
    char buffer[65536];
    const ssize_t got = ::read(m_output, buffer, sizeof(buffer));
    if (got <= 0) {
        m_ended = true;
        return false;
    }
    m_partial.append(buffer, static_cast<size_t>(got));
    size_t end;
    while ((end = m_partial.find('\n')) != std::string::npos) {
        m_lines.push_back(m_partial.substr(0, end));
        m_partial.erase(0, end + 1);
    }
    return true;
}

bool ProgramRun::installed(const std::string& program)
{
    for (const char* folder : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
        if (::access((folder + program).c_str(), X_OK) == 0)
            return true;
    }
    return false;
}

std::string ProgramRun::fileText(const std::filesystem::path& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace navora::test
