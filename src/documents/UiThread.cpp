#include "UiThread.h"

#include <QThread>

namespace navora {

UiThread::UiThread() = default;

UiThread::~UiThread() = default;

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
        QMetaObject::invokeMethod(this, "drain", Qt::QueuedConnection);
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
