#pragma once

#include "model/TrackPoint.h"

#include <QString>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

namespace navora {

// Keeps a GPX file of the track being recorded up to date, for
// "navora --headless --track FILE": the file is written whole each minute
// that brought new points, and once more at the end, so it is always a
// complete GPX file and a crash loses at most the last minute of it (the
// track log's own files lose nothing).
class TrackGpxWriter {
public:
    using TrackSource = std::function<std::vector<TrackPoint>()>;

    TrackGpxWriter(std::string path, TrackSource track);

    // Writes the file now if the track grew since it was last written; false
    // (and a log line) when it could not be written.
    bool write();

    // "Track" and the UTC time of the first point, "Track 2026-07-14 09.30".
    static QString title(const std::vector<TrackPoint>& track);

private:
    const std::string m_path;
    const TrackSource m_track;
    size_t m_pointsWritten = 0;
    double m_lastTimeWritten = 0.0;
    QTimer m_minute;
};

} // namespace navora
