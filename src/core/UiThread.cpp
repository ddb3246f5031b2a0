#include "core/UiThread.h"

#include <QSocketNotifier>
#include <QThread>

#include <sys/eventfd.h>
#include <unistd.h>

namespace navora {

UiThread::UiThread()
    : m_wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (m_wakeFd < 0)
        return;
    m_wakeNotifier = new QSocketNotifier(m_wakeFd, QSocketNotifier::Read, this);
    connect(m_wakeNotifier, &QSocketNotifier::activated, this, [this] {
        uint64_t count = 0;
        while (::read(m_wakeFd, &count, sizeof count) > 0) { }
        drain();
    });
}

UiThread::~UiThread()
{
    delete m_wakeNotifier;
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

bool UiThread::isUiThread() const
{
    return QThread::currentThread() == thread();
}

void UiThread::run(std::function<void()> work)
{
    if (isUiThread()) {
        work();
        return;
    }
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        wake = m_queue.empty();
        m_queue.push_back(std::move(work));
    }
    if (wake)
        wakeUp();
}

void UiThread::wakeUp()
{
    // A write to the eventfd wakes the event loop without handing any Qt
    // object from this thread to the other one.
    if (m_wakeFd >= 0) {
        const uint64_t one = 1;
        if (::write(m_wakeFd, &one, sizeof one) == static_cast<ssize_t>(sizeof one))
            return;
    }
    QMetaObject::invokeMethod(this, &UiThread::drain, Qt::QueuedConnection);
}

void UiThread::drain()
{
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard lock(m_mutex);
            if (m_queue.empty())
                return;
            work = std::move(m_queue.front());
            m_queue.pop_front();
        }
        work();
    }
}

} // namespace navora
