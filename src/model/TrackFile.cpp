#include "model/TrackFile.h"

#include "model/NumberText.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

namespace navora {

namespace {

constexpr auto kSyncInterval = std::chrono::minutes(1);

std::string systemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

std::optional<TrackFile::Point> pointOf(const std::string& line)
{
    double values[5];
    std::istringstream fields(line);
    std::string field;
    int count = 0;
    while (std::getline(fields, field, ',')) {
        const std::optional<double> value = count < 5 ? NumberText::readExactly(field) : std::nullopt;
        if (!value)
            return std::nullopt;
        values[count++] = *value;
    }
    if (count != 5 || std::abs(values[1]) > 90.0 || std::abs(values[2]) > 180.0)
        return std::nullopt;
    return TrackFile::Point{values[0], values[1], values[2], values[3], values[4]};
}

} // namespace

TrackFile::~TrackFile()
{
    close();
}

bool TrackFile::open(const std::string& path, std::string& error)
{
    close();
    std::error_code made;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), made);
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (m_fd < 0) {
        error = systemError("Cannot open the track file " + path);
        return false;
    }
    m_path = path;
    m_lastSync = std::chrono::steady_clock::now();
    return true;
}

bool TrackFile::append(const Point& point, std::string& error)
{
    if (m_fd < 0) {
        error = "The track file is not open";
        return false;
    }
    char line[160];
    const int length = std::snprintf(line, sizeof line, "%.3f,%.7f,%.7f,%.1f,%.2f\n", point.time, point.latitude,
        point.longitude, point.altitude, point.speed);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof line
        || ::write(m_fd, line, static_cast<size_t>(length)) != length) {
        error = systemError("Cannot write to the track file " + m_path);
        return false;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastSync >= kSyncInterval) {
        ::fdatasync(m_fd);
        m_lastSync = now;
    }
    return true;
}

void TrackFile::close()
{
    if (m_fd < 0)
        return;
    ::fdatasync(m_fd);
    ::close(m_fd);
    m_fd = -1;
}

std::vector<TrackFile::Point> TrackFile::read(const std::string& path, std::string& error)
{
    std::vector<Point> points;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = systemError("Cannot read the track file " + path);
        return points;
    }
    std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    size_t start = 0;
    while (start < content.size()) {
        const size_t end = content.find('\n', start);
        // A last line without its end is one a power loss cut.
        if (end == std::string::npos)
            break;
        const std::optional<Point> point = pointOf(content.substr(start, end - start));
        if (!point) {
            error = "The track file " + path + " holds a line that is no track point; read up to it";
            break;
        }
        points.push_back(*point);
        start = end + 1;
    }
    return points;
}

std::string TrackFile::folder()
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (dataHome && dataHome[0] == '/') {
        base = dataHome;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home ? home : ".") + "/.local/share";
    }
    return base + "/Navora/tracks";
}

} // namespace navora
