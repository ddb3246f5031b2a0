#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace navora::test {

// A program run by a test (the program under test, an X server, a session
// bus): its standard output read line by line and kept, its standard error
// written to a file, its standard input empty. Stopped (SIGTERM, then
// SIGKILL) by the destructor if still running.
class ProgramRun {
public:
    // The configuration and data homes are this folder, so the user's
    // settings and files stay out of it.
    ProgramRun(std::vector<std::string> arguments, const std::filesystem::path& errors,
        const std::filesystem::path& configHome);
    // The given variables ("NAME=value") replace those of the same name.
    ProgramRun(std::vector<std::string> arguments, const std::filesystem::path& errors,
        const std::vector<std::string>& environment);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool started() const { return m_pid > 0; }
    void signal(int number) const;

    // Reads output until a line after the last one found or read holds text
    // (true) or the time is up.
    bool readUntil(const std::string& text, std::chrono::milliseconds limit);
    // The next line not yet found or read; nullopt at the end of the output
    // or when the time is up.
    std::optional<std::string> readLine(std::chrono::milliseconds limit);

    // Sends SIGTERM, reads the rest and returns the exit status (-1 if it
    // did not end by itself in time).
    int terminate(std::chrono::milliseconds limit);

    const std::vector<std::string>& lines() const { return m_lines; }

    // Whether a program is installed in one of the usual folders.
    static bool installed(const std::string& program);
    // The whole text of a file (the standard error written), for messages.
    static std::string fileText(const std::filesystem::path& path);

private:
    void start(std::vector<std::string> arguments, const std::filesystem::path& errors,
        const std::vector<std::string>& environment);
    // False at the end of the output.
    bool readSome(std::chrono::milliseconds wait);

    pid_t m_pid = -1;
    int m_output = -1;
    bool m_ended = false;
    std::string m_partial;
    std::vector<std::string> m_lines;
    size_t m_next = 0;
};

} // namespace navora::test
