#include "gps/windows/QtDisplay.h"

#include "gps/windows/FieldWriter.h"

#include "core/Log.h"

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
    const auto found = m_fields.find(name);
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
    const std::vector<DisplayBatch::Write>& writes = batch.writes();
    std::vector<QWidget*> widgets;
    widgets.reserve(writes.size());
    for (const DisplayBatch::Write& write : writes)
        widgets.push_back(field(write.field));
    const std::vector<bool> superseded = supersededWrites(writes, widgets);
    for (size_t i = 0; i < writes.size(); ++i) {
        const DisplayBatch::Write& write = writes[i];
        if (!widgets[i]) {
            reportOnce("No window field is named \"" + std::string(write.field) + "\" - its writes are dropped");
            continue;
        }
        if (superseded[i])
            continue;
        if (!FieldWriter::write(*widgets[i], write))
            reportOnce("Window field \"" + std::string(write.field) + "\" cannot show a "
                + FieldWriter::kindName(write.kind) + " - dropped");
    }
}

std::vector<bool> QtDisplay::supersededWrites(
    const std::vector<DisplayBatch::Write>& writes, const std::vector<QWidget*>& widgets)
{
    // A report first blanks the fields and then fills them: only the last
    // value of a field in a batch is shown, so the earlier ones are skipped
    // (a meter would otherwise repaint twice). Steps, matrix cells and the
    // windows' own writes all count, and keep their order.
    using Kind = DisplayBatch::Kind;
    const auto slot = [](Kind kind) {
        switch (kind) {
        case Kind::Text:
        case Kind::Number:
        case Kind::Date:
        case Kind::SliderValue:
            return Kind::Text;
        default:
            return kind;
        }
    };
    const auto settles = [](Kind kind, const QWidget* widget) {
        switch (kind) {
        case Kind::IndicatorStep:
        case Kind::MatrixColumns:
        case Kind::MatrixCell:
        case Kind::Front:
        case Kind::Floating:
            return false;
        case Kind::Visible:
            return !widget->isWindow();
        default:
            return true;
        }
    };
    std::vector<bool> superseded(writes.size(), false);
    std::set<std::pair<const QWidget*, Kind>> later;
    for (size_t i = writes.size(); i-- > 0;) {
        if (!widgets[i] || !settles(writes[i].kind, widgets[i]))
            continue;
        superseded[i] = !later.emplace(widgets[i], slot(writes[i].kind)).second;
    }
    return superseded;
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
