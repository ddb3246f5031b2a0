#include "ProgramRun.h"

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

ProgramRun::ProgramRun(
    std::vector<std::string> arguments, const std::filesystem::path& errors, const std::filesystem::path& configHome)
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

ProgramRun::~ProgramRun()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    if (m_output >= 0)
        ::close(m_output);
}

bool ProgramRun::readUntil(const std::string& text, std::chrono::milliseconds limit)
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

int ProgramRun::terminate(std::chrono::milliseconds limit)
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

bool ProgramRun::readSome(std::chrono::milliseconds wait)
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

std::string ProgramRun::fileText(const std::filesystem::path& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace navora::test
