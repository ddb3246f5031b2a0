#include "gps/TrackRecorder.h"

#include "core/Log.h"

#include <cmath>
#include <ctime>

namespace navora {

TrackRecorder::TrackRecorder(std::string folder)
    : m_folder(std::move(folder))
{
}

void TrackRecorder::take(const TrackPoint& point)
{
    if (!std::isfinite(point.time) || !std::isfinite(point.latitude) || !std::isfinite(point.longitude))
        return;
    if (m_newTrackWanted.exchange(false))
        m_thinner = TrackThinner();
    const TrackThinner::Decision decision = m_thinner.take(point);
    if (decision == TrackThinner::Decision::Skip)
        return;
    std::lock_guard lock(m_mutex);
    if (decision == TrackThinner::Decision::StartNewTrack || !m_file.isOpen()) {
        m_track.clear();
        startFile(point);
    }
    m_track.push_back(point);
    std::string error;
    if (m_file.isOpen() && !m_file.append(point, error) && !m_failed) {
        // Said once; the track goes on in memory.
        m_failed = true;
        Log::line(error);
    }
}

void TrackRecorder::startNewTrack()
{
    std::lock_guard lock(m_mutex);
    m_newTrackWanted = true;
    m_track.clear();
    m_file.close();
}

void TrackRecorder::startFile(const TrackPoint& first)
{
    const std::time_t began = static_cast<std::time_t>(first.time);
    std::tm parts{};
    gmtime_r(&began, &parts);
    char name[64];
    std::strftime(name, sizeof name, "/track-%Y%m%d-%H%M%SZ.csv", &parts);
    std::string error;
    if (m_file.open(m_folder + name, error)) {
        Log::format("Recording the track in %s", m_file.path().c_str());
        m_failed = false;
    } else if (!m_failed) {
        m_failed = true;
        Log::line(error);
    }
}

std::vector<TrackPoint> TrackRecorder::currentTrack() const
{
    std::lock_guard lock(m_mutex);
    return m_track;
}

std::string TrackRecorder::currentFile() const
{
    std::lock_guard lock(m_mutex);
    return m_file.path();
}

} // namespace navora
