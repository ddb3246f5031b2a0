#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>

namespace navora {

// Tells once when every window of a set is on the screen: each has been
// exposed and its first picture painted. The call comes from the event loop
// after the last exposure has been handled, so the pictures are drawn by
// then. --quit-when-shown uses it to time the start.
class ShownWatcher : public QObject {
public:
    // The titles of the windows, in the order given.
    using Shown = std::function<void(const QStringList& titles)>;

    // The windows are shown already (their native windows exist). A window
    // closed or deleted before its exposure is no longer waited for.
    ShownWatcher(const QList<QWidget*>& windows, Shown shown);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void check();

    QList<QPointer<QWidget>> m_windows;
    Shown m_shown;
    bool m_told = false;
};

} // namespace navora
