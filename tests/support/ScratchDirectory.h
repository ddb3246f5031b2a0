#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace navora::test {

// A directory of its own for one test's files, removed with everything in it.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path file(const std::string& name) const { return m_path / name; }
    // Writes bytes to the named file (replacing it) and gives its path.
    std::string write(const std::string& name, std::string_view bytes) const;
    // Names of everything in the directory, sorted.
    std::vector<std::string> entries() const;

private:
    std::filesystem::path m_path;
};

// The bytes of a file; empty when it cannot be read.
std::string fileBytes(const std::filesystem::path& path);

} // namespace navora::test
