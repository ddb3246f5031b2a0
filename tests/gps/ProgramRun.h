#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/types.h>

namespace navora::test {

// A program run with its standard output read line by line and its
// standard error written to a file; the configuration home is its own, so
// the user's settings stay out of it. Killed by the destructor if still
// running.
class ProgramRun {
public:
    ProgramRun(std::vector<std::string> arguments, const std::filesystem::path& errors,
        const std::filesystem::path& configHome);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool started() const { return m_pid > 0; }

    // Reads output until a line holds text (true) or the time is up.
    bool readUntil(const std::string& text, std::chrono::milliseconds limit);

    // Sends SIGTERM, reads the rest and returns the exit status (-1 if it
    // did not end by itself in time).
    int terminate(std::chrono::milliseconds limit);

    const std::vector<std::string>& lines() const { return m_lines; }

    // The whole text of a file (the standard error written), for messages.
    static std::string fileText(const std::filesystem::path& path);

private:
    // False at the end of the output.
    bool readSome(std::chrono::milliseconds wait);

    pid_t m_pid = -1;
    int m_output = -1;
    std::string m_partial;
    std::vector<std::string> m_lines;
    size_t m_searched = 0;
};

} // namespace navora::test
