#include "SpawnedProcess.h"

#include <csignal>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace navora::test {

using namespace std::chrono_literals;

SpawnedProcess::SpawnedProcess(
    std::vector<std::string> arguments, const std::vector<std::string>& environment, const std::string& errors)
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
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    // The given variables replace those of the same name.
    std::vector<std::string> variables = environment;
    for (char** variable = environ; *variable; ++variable) {
        const std::string text(*variable);
        const std::string name = text.substr(0, text.find('=') + 1);
        bool replaced = false;
        for (const std::string& own : environment)
            replaced = replaced || own.rfind(name, 0) == 0;
        if (!replaced)
            variables.push_back(text);
    }
    std::vector<char*> envp;
    for (std::string& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    if (posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
}

SpawnedProcess::~SpawnedProcess()
{
    if (m_pid > 0 && stop(5s) == -1 && m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    if (m_output >= 0)
        ::close(m_output);
}

void SpawnedProcess::signal(int number) const
{
    if (m_pid > 0)
        ::kill(m_pid, number);
}

std::optional<std::string> SpawnedProcess::readLine(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (const size_t end = m_partial.find('\n'); end != std::string::npos) {
            std::string line = m_partial.substr(0, end);
            m_partial.erase(0, end + 1);
            return line;
        }
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left <= 0ms)
            return std::nullopt;
        pollfd pfd{m_output, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[4096];
        const ssize_t got = ::read(m_output, buffer, sizeof buffer);
        if (got <= 0)
            return std::nullopt;
        m_partial.append(buffer, static_cast<size_t>(got));
    }
}

int SpawnedProcess::stop(std::chrono::milliseconds limit)
{
    if (m_pid <= 0)
        return -1;
    ::kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + limit;
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

bool SpawnedProcess::installed(const std::string& program)
{
    for (const char* folder : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
        if (::access((folder + program).c_str(), X_OK) == 0)
            return true;
    }
    return false;
}

} // namespace navora::test
