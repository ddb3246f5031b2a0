#include "app/SnapshotWriter.h"

#include "core/Log.h"

#include <QApplication>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPixmap>
#include <QSaveFile>
#include <QScreen>
#include <QSet>
#include <QWidget>

namespace navora {

namespace {

// Menus, tool tips and the like are top-level widgets too, but no windows.
bool isShownWindow(const QWidget& widget)
{
    const Qt::WindowType type = widget.windowType();
    return widget.isVisible() && type != Qt::Popup && type != Qt::ToolTip && type != Qt::Desktop;
}

QString nameOf(const QWidget& window, QSet<QString>& taken)
{
    QString name
        = window.objectName().isEmpty() ? QString::fromLatin1(window.metaObject()->className()) : window.objectName();
    name.replace(QChar('/'), QChar('_')).replace(QChar(':'), QChar('_'));
    QString unique = name;
    for (int n = 2; taken.contains(unique); ++n)
        unique = name + '-' + QString::number(n);
    taken.insert(unique);
    return unique;
}

} // namespace

SnapshotWriter::SnapshotWriter(QString folder, FieldSource fields)
    : m_folder(std::move(folder))
    , m_fields(std::move(fields))
{
}

QString SnapshotWriter::sequenceText(int sequence)
{
    return QString::number(sequence).rightJustified(3, QChar('0'));
}

bool SnapshotWriter::write()
{
    const QString prefix = sequenceText(++m_sequence);
    if (!QDir().mkpath(m_folder)) {
        Log::format("Snapshot %s not written: cannot make the folder %s", prefix.toUtf8().constData(),
            m_folder.toUtf8().constData());
        return false;
    }
    const QDir folder(m_folder);
    bool written = true;
    QSet<QString> taken;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!isShownWindow(*window))
            continue;
        const QString path = folder.filePath(prefix + '-' + nameOf(*window, taken) + ".png");
        if (!window->grab().save(path, "PNG")) {
            Log::format("Snapshot %s: cannot write %s", prefix.toUtf8().constData(), path.toUtf8().constData());
            written = false;
        }
    }
    // The whole screen as well, where the platform can show it (an X
    // server can; the offscreen platform cannot).
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QPixmap whole = screen->grabWindow(0);
        if (!whole.isNull() && !whole.save(folder.filePath(prefix + "-screen.png"), "PNG"))
            written = false;
    }
    written = writeFields(folder.filePath(prefix + "-fields.json")) && written;
    if (written)
        Log::format("Snapshot %s written", prefix.toUtf8().constData());
    return written;
}

bool SnapshotWriter::writeFields(const QString& path) const
{
    QJsonObject object;
    if (m_fields) {
        for (const auto& [name, text] : m_fields())
            object.insert(QString::fromStdString(name), QString::fromStdString(text));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(object).toJson()) < 0 || !file.commit()) {
        Log::format("Snapshot: cannot write %s", path.toUtf8().constData());
        return false;
    }
    return true;
}

} // namespace navora
