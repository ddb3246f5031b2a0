#include "app/SignalWatcher.h"

#include "core/Log.h"

#include <QSocketNotifier>

#include <csignal>

#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace navora {

namespace {

sigset_t setOf(std::initializer_list<int> numbers)
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : numbers)
        sigaddset(&set, signal);
    return set;
}

} // namespace

void SignalWatcher::block(std::initializer_list<int> numbers)
{
    const sigset_t set = setOf(numbers);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

SignalWatcher::SignalWatcher(std::initializer_list<int> numbers, Handler handler, QObject* parent)
    : QObject(parent)
    , m_handler(std::move(handler))
{
    const sigset_t set = setOf(numbers);
    m_descriptor = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (m_descriptor < 0) {
        Log::line("Cannot watch for signals; Ctrl-C ends the program without stopping the GPS link");
        return;
    }
    m_notifier = new QSocketNotifier(m_descriptor, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { readSignals(); });
}

SignalWatcher::~SignalWatcher()
{
    delete m_notifier;
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

void SignalWatcher::readSignals()
{
    signalfd_siginfo info;
    while (::read(m_descriptor, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        if (m_handler)
            m_handler(static_cast<int>(info.ssi_signo));
    }
}

} // namespace navora
