#include "e2e/LogFile.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>

namespace navora::test {

LogFile::LogFile(std::filesystem::path path)
    : m_path(std::move(path))
{
}

std::string LogFile::text() const
{
    std::ifstream file(m_path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> LogFile::lines() const
{
    std::vector<std::string> lines;
    std::istringstream text(this->text());
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

size_t LogFile::count(const std::string& line) const
{
    const std::vector<std::string> all = lines();
    return static_cast<size_t>(std::count(all.begin(), all.end(), line));
}

bool LogFile::waitFor(const std::string& line, std::chrono::milliseconds limit, size_t times) const
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (count(line) < times) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

} // namespace navora::test
