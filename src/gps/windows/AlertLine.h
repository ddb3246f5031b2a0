#pragma once

#include "core/UiThread.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <string>
#include <vector>

class QLabel;

namespace navora {

// The latest alert in words, after the local time it came ("14:03:27  GPS
// offline..."), in a line of each GPS window, until the hold has passed;
// then the lines are empty again. The desktop notification may have gone
// by unseen: the windows keep the word a while.
//
// post() may be called from any thread: alerts are raised on the GPS thread.
// The lines are written on the user-interface thread only.
class AlertLine : public QObject {
    Q_OBJECT
public:
    // Made on the user-interface thread; the labels outlive nothing here.
    AlertLine(const std::vector<QLabel*>& labels, std::chrono::milliseconds hold);
    ~AlertLine() override;
    AlertLine(const AlertLine&) = delete;
    AlertLine& operator=(const AlertLine&) = delete;

    void post(const std::string& text);

private:
    void show(const QString& line);

    std::vector<QPointer<QLabel>> m_labels;
    QTimer m_expiry;
    // Last, so queued hand-overs go before what they would write.
    UiThread m_uiThread;
};

} // namespace navora
