#include "app/TrackGpxWriter.h"

#include "core/Log.h"
#include "io/GpxExport.h"
#include "io/XmlWriter.h"

#include <QDateTime>
#include <QObject>

namespace navora {

TrackGpxWriter::TrackGpxWriter(std::string path, TrackSource track)
    : m_path(std::move(path))
    , m_track(std::move(track))
{
    m_minute.setInterval(60 * 1000);
    QObject::connect(&m_minute, &QTimer::timeout, [this] { write(); });
    m_minute.start();
}

bool TrackGpxWriter::write()
{
    const std::vector<TrackPoint> track = m_track();
    // A new track (after a long gap) may hold fewer points than the last.
    if (track.empty() || (track.size() == m_pointsWritten && track.back().time == m_lastTimeWritten))
        return true;
    const std::string name = title(track).toStdString();
    std::string error;
    if (!XmlWriter::saveFile(
            m_path, [&](XmlWriter& writer) { GpxExport::writeTrack(writer, name, track); }, error)) {
        Log::format("The track could not be written to %s: %s", m_path.c_str(), error.c_str());
        return false;
    }
    if (m_pointsWritten == 0)
        Log::format("Writing the track to %s", m_path.c_str());
    m_pointsWritten = track.size();
    m_lastTimeWritten = track.back().time;
    return true;
}

QString TrackGpxWriter::title(const std::vector<TrackPoint>& track)
{
    const qint64 began = track.empty() ? 0 : static_cast<qint64>(track.front().time);
    return QObject::tr("Track %1").arg(QDateTime::fromSecsSinceEpoch(began, Qt::UTC).toString("yyyy-MM-dd HH.mm"));
}

} // namespace navora
