#pragma once

#include <chrono>

namespace navora {

// Wakes a thread that waits on a descriptor: an eventfd that another thread
// signals. It stays readable from signal() until drain().
class WakeEvent {
public:
    WakeEvent();
    ~WakeEvent();
    WakeEvent(const WakeEvent&) = delete;
    WakeEvent& operator=(const WakeEvent&) = delete;

    void signal();
    void drain();
    int fd() const { return m_fd; }

    // Sleeps for duration, or less when the event is or becomes signalled.
    // Returns true when it was cut short.
    bool sleepFor(std::chrono::milliseconds duration) const;

private:
    int m_fd;
};

} // namespace navora
