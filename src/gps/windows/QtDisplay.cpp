#include "QtDisplay.h"

#include "FieldWriter.h"

#include <Log.h>

namespace navora {

QtDisplay::QtDisplay(const std::vector<QWidget*>& windows)
{
    for (QWidget* window : windows) {
        bind(*window);
        for (QWidget* child : window->findChildren<QWidget*>())
            bind(*child);
    }
}

QtDisplay::~QtDisplay() = default;

void QtDisplay::bind(QWidget& widget)
{
    const QString name = widget.objectName();
    // Qt's own parts (viewports, scroll bars) carry names of their own.
    if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
        return;
    m_fields.emplace(name.toStdString(), QPointer<QWidget>(&widget));
}

QWidget* QtDisplay::field(std::string_view name) const
{
    const auto found = m_fields.find(std::string(name));
    return found == m_fields.end() ? nullptr : found->second.data();
}

void QtDisplay::apply(DisplayBatch batch)
{
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        wake = m_queue.empty();
        m_queue.push_back(std::move(batch));
    }
    if (m_uiThread.isUiThread()) {
        drain();
        return;
    }
    // A queue that was not empty already has its hand-over on the way.
    if (wake)
        m_uiThread.run([this] { drain(); });
}

void QtDisplay::drain()
{
    // A write that leads back here (a widget's signal) queues its batch
    // behind the one being applied.
    if (m_draining)
        return;
    m_draining = true;
    for (;;) {
        DisplayBatch batch;
        {
            std::lock_guard lock(m_mutex);
            if (m_queue.empty())
                break;
            batch = std::move(m_queue.front());
            m_queue.pop_front();
        }
        applyBatch(batch);
    }
    m_draining = false;
}

void QtDisplay::applyBatch(const DisplayBatch& batch)
{
    for (const DisplayBatch::Write& write : batch.writes()) {
        QWidget* widget = field(write.field);
        if (!widget) {
            reportOnce("No window field is named \"" + std::string(write.field) + "\" - its writes are dropped");
            continue;
        }
        if (!FieldWriter::write(*widget, write))
            reportOnce("Window field \"" + std::string(write.field) + "\" cannot show a "
                + FieldWriter::kindName(write.kind) + " - dropped");
    }
}

void QtDisplay::reportOnce(std::string line)
{
    if (m_reported.insert(line).second)
        Log::line(line);
}

std::map<std::string, std::string> QtDisplay::snapshot(std::span<const std::string_view> names) const
{
    std::map<std::string, std::string> shown;
    for (const std::string_view name : names) {
        if (const QWidget* widget = field(name))
            shown.emplace(std::string(name), FieldWriter::shownText(*widget).toStdString());
    }
    return shown;
}

} // namespace navora
