#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace navora::test {

// A helper program of an end-to-end test (X server, session bus, the
// program under test): started with extra environment variables, its
// standard output readable line by line, its standard error in a file.
// Stopped (SIGTERM, then SIGKILL) by the destructor if still running.
class SpawnedProcess {
public:
    SpawnedProcess(std::vector<std::string> arguments, const std::vector<std::string>& environment,
        const std::string& errors = "/dev/null");
    ~SpawnedProcess();
    SpawnedProcess(const SpawnedProcess&) = delete;
    SpawnedProcess& operator=(const SpawnedProcess&) = delete;

    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }
    void signal(int number) const;

    // The next line of standard output; nullopt at its end or when the time is up.
    std::optional<std::string> readLine(std::chrono::milliseconds limit);
    // Sends SIGTERM and waits; the exit status, or -1 if it did not exit in time.
    int stop(std::chrono::milliseconds limit);

    static bool installed(const std::string& program);

private:
    pid_t m_pid = -1;
    int m_output = -1;
    std::string m_partial;
};

} // namespace navora::test
