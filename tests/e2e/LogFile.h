#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace navora::test {

// The standard error of a running program, written to a file: read again
// while waiting for a line to appear.
class LogFile {
public:
    explicit LogFile(std::filesystem::path path);

    std::vector<std::string> lines() const;
    // Lines equal to line.
    size_t count(const std::string& line) const;
    // Waits until at least times lines equal line; false when the time is up.
    bool waitFor(const std::string& line, std::chrono::milliseconds limit, size_t times = 1) const;
    std::string text() const;

private:
    std::filesystem::path m_path;
};

} // namespace navora::test
