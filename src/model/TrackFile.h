#pragma once

#include "model/TrackPoint.h"

#include <chrono>
#include <string>
#include <vector>

namespace navora {

// A track kept on disk as it is recorded: a text file of one line per
// point ("time,latitude,longitude,altitude,speed"), each line handed to the
// system in one write as the point is kept, so a crash of the program loses
// nothing, and flushed to the disk at least once a minute, so a power loss
// loses at most the last minute. Reading stops at the first line that is not
// whole (the one a power loss may cut).
class TrackFile {
public:
    using Point = TrackPoint;

    TrackFile() = default;
    ~TrackFile();
    TrackFile(const TrackFile&) = delete;
    TrackFile& operator=(const TrackFile&) = delete;

    // Creates the file (and its folder) or appends to it.
    bool open(const std::string& path, std::string& error);
    bool isOpen() const { return m_fd >= 0; }
    const std::string& path() const { return m_path; }
    bool append(const Point& point, std::string& error);
    void close();

    static std::vector<Point> read(const std::string& path, std::string& error);
    // "$XDG_DATA_HOME/Navora/tracks" (by default ~/.local/share/...).
    static std::string folder();

private:
    int m_fd = -1;
    std::string m_path;
    std::chrono::steady_clock::time_point m_lastSync{};
};

} // namespace navora
