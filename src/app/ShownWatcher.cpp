#include "app/ShownWatcher.h"

#include <QEvent>
#include <QTimer>
#include <QWindow>

namespace navora {

ShownWatcher::ShownWatcher(const QList<QWidget*>& windows, Shown shown)
    : m_shown(std::move(shown))
{
    for (QWidget* widget : windows) {
        m_windows.append(widget);
        widget->installEventFilter(this);
        if (QWindow* window = widget->windowHandle())
            window->installEventFilter(this);
        connect(widget, &QObject::destroyed, this, [this] { QTimer::singleShot(0, this, [this] { check(); }); });
    }
    // Windows exposed already (or none at all) are told at the next turn.
    QTimer::singleShot(0, this, [this] { check(); });
}

bool ShownWatcher::eventFilter(QObject* watched, QEvent* event)
{
    // The filter sees the exposure before the window paints for it: the
    // check waits for the next turn of the event loop.
    if (event->type() == QEvent::Expose || event->type() == QEvent::Hide)
        QTimer::singleShot(0, this, [this] { check(); });
    return QObject::eventFilter(watched, event);
}

void ShownWatcher::check()
{
    if (m_told)
        return;
    QStringList titles;
    for (const QPointer<QWidget>& widget : m_windows) {
        if (!widget || !widget->isVisible())
            continue;
        const QWindow* window = widget->windowHandle();
        if (!window || !window->isExposed())
            return;
        titles.append(window->title());
    }
    m_told = true;
    m_shown(titles);
}

} // namespace navora
