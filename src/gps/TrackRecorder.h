#pragma once

#include "model/TrackFile.h"
#include "model/TrackPoint.h"
#include "nav/TrackThinner.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace navora {

// The track log: each epoch's position offered by the GPS thread, thinned
// (TrackThinner), kept in memory as the current track and on disk as it
// grows, one file per track in a folder (TrackFile). Readable from any
// thread.
class TrackRecorder {
public:
    explicit TrackRecorder(std::string folder);

    void take(const TrackPoint& point);
    // The next point kept starts a new track (and file); the current track
    // is empty until then. From any thread.
    void startNewTrack();
    std::vector<TrackPoint> currentTrack() const;
    std::string currentFile() const;

private:
    void startFile(const TrackPoint& first);

    const std::string m_folder;
    TrackThinner m_thinner;
    TrackFile m_file;
    std::vector<TrackPoint> m_track;
    bool m_failed = false;
    // Asked for by startNewTrack, taken by the GPS thread's next point.
    std::atomic<bool> m_newTrackWanted = false;
    mutable std::mutex m_mutex;
};

} // namespace navora
