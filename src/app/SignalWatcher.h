#pragma once

#include <QObject>

#include <functional>
#include <initializer_list>

class QSocketNotifier;

namespace navora {

// Delivers POSIX signals to the event loop: the signals are blocked in every
// thread and read from a signalfd, so the handler is ordinary code on the
// user-interface thread rather than an asynchronous signal handler.
class SignalWatcher : public QObject {
public:
    using Handler = std::function<void(int signal)>;

    // Blocks the signals in the calling thread. Threads inherit the mask, so
    // call it before any thread starts (before QApplication, the GPS thread,
    // D-Bus and speech threads); otherwise one of them may take the signal
    // with its default action.
    static void block(std::initializer_list<int> numbers);

    // Watches the signals (which must already be blocked) and calls handler
    // for each one received.
    SignalWatcher(std::initializer_list<int> numbers, Handler handler, QObject* parent = nullptr);
    ~SignalWatcher() override;
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    bool valid() const { return m_descriptor >= 0; }

private:
    void readSignals();

    int m_descriptor = -1;
    QSocketNotifier* m_notifier = nullptr;
    Handler m_handler;
};

} // namespace navora
