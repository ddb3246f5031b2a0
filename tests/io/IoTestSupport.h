#pragma once

#include "io/ExchangeDocument.h"
#include "io/ImportController.h"
#include "io/MemoryDocumentHost.h"
#include "model/NumberText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace navora::test {

inline std::string ioDataPath(const std::string& name)
{
    return std::string(NAVORA_IO_DATA) + "/" + name;
}

inline std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder, removed with its contents at the end of the test.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "navora-io-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            ADD_FAILURE() << "cannot create a temporary folder";
        m_path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string path(const std::string& name) const { return (m_path / name).string(); }
    std::string write(const std::string& name, std::string_view bytes) const
    {
        const std::string file = path(name);
        writeBytes(file, bytes);
        return file;
    }

private:
    std::filesystem::path m_path;
};

// One waypoint as text: name | comment | latitude | longitude | altitude,
// the numbers as "%f" (nan for an unknown one).
inline std::string describe(const Waypoint& waypoint)
{
    const WaypointSnapshot s = waypoint.snapshot();
    return s.wpName + " | " + s.wpComment + " | " + NumberText::formatFixed(s.latitude) + " | "
        + NumberText::formatFixed(s.longitude) + " | " + NumberText::formatFixed(s.altitude);
}

inline std::vector<std::string> describe(const WaypointList& list)
{
    std::vector<std::string> lines;
    for (const WaypointPtr& waypoint : list)
        lines.push_back(describe(*waypoint));
    return lines;
}

// An import controller whose open panel gives path (or nothing).
inline ImportController importerFor(
    ExchangeDocumentHost& host, std::optional<std::string> path, ImportController::ImportQuestion question = {})
{
    return ImportController(
        host, [path](std::string_view) { return path; }, std::move(question));
}

} // namespace navora::test
