#pragma once

#include <string>

namespace navora {

// What the GPS side needs from the alert dispatcher. Alerts are raised on the
// GPS thread; implementations must accept calls from any thread.
class AlertDispatcher {
public:
    virtual ~AlertDispatcher() = default;

    // Raises the alert with the text and speech from the alert table.
    virtual void alertAllForKey(const std::string& key) = 0;
    // Raises the alert with caller-made text and speech; title, notification
    // name, priority and sticky flag still come from the alert table.
    virtual void alertAllForKey(const std::string& key, const std::string& description, const std::string& speech) = 0;
    // One short warning beep, unless speech is in progress.
    virtual void approachingBeep() = 0;
    // What the arrival speech says of a waypoint: 0 its name, otherwise its comment.
    virtual int sayWhat() const = 0;

protected:
    AlertDispatcher() = default;
    AlertDispatcher(const AlertDispatcher&) = default;
    AlertDispatcher& operator=(const AlertDispatcher&) = default;
};

} // namespace navora
