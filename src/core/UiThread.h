#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

class QSocketNotifier;

namespace navora {

// Hands work to the thread that made it (the user-interface thread). Work
// given on that thread runs at once; work from any other thread is queued
// and runs there from the event loop, in the order given. Queued work that
// has not run when the UiThread is destroyed is dropped.
//
// The queue is guarded by a std::mutex and the event loop is woken through
// an eventfd rather than a queued Qt event: nothing allocated on the posting
// thread is freed on this one behind Qt's own (uninstrumented) locks, so the
// hand-over is visible to the thread sanitizer.
class UiThread : public QObject {
    Q_OBJECT
public:
    UiThread();
    ~UiThread() override;

    void run(std::function<void()> work);
    bool isUiThread() const;

private:
    void drain();
    void wakeUp();

    int m_wakeFd = -1;
    QSocketNotifier* m_wakeNotifier = nullptr;

    std::mutex m_mutex;
    std::deque<std::function<void()>> m_queue;
};

} // namespace navora
