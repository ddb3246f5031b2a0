#include "gps/GpsFake.h"

#include "gps/ScriptedServer.h"

#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace navora::test {

namespace {

constexpr const char* gpsfakeProgram = "/usr/bin/gpsfake";

bool answers(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return connected;
}

// Polls until done; false when the time runs out first.
template <class Done> bool within(std::chrono::seconds limit, Done done)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

} // namespace

bool GpsFake::available()
{
    return ::access(gpsfakeProgram, X_OK) == 0;
}

GpsFake::GpsFake(const std::filesystem::path& log, double cycle, int port)
    : m_port(port != 0 ? port : unusedPort())
{
    const std::string output = log.string() + ".gpsfake.log";
    std::vector<std::string> arguments
        = {gpsfakeProgram, "-q", "-1", "-c", std::to_string(cycle), "-P", portText(), log.string()};
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A process group of its own, so gpsfake and its gpsd go together.
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    if (posix_spawn(&m_pid, gpsfakeProgram, &actions, &attributes, argv.data(), environ) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    bool exited = m_pid < 0;
    m_ready = within(std::chrono::seconds(20), [&] {
        exited = exited || ::waitpid(m_pid, nullptr, WNOHANG) == m_pid;
        return exited || answers(m_port);
    }) && !exited;
    if (exited)
        m_pid = -1;
}

GpsFake::~GpsFake()
{
    if (m_pid < 0)
        return;
    ::kill(-m_pid, SIGTERM);
    if (!within(std::chrono::seconds(5), [this] { return ::waitpid(m_pid, nullptr, WNOHANG) == m_pid; })) {
        ::kill(-m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

} // namespace navora::test
