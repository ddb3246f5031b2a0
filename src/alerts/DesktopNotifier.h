#pragma once

#include <string>
#include <vector>

namespace navora {

// The desktop-notification service, by role. The application registers once
// with its name and notification names, then posts notifications. Posting
// must return at once and be safe from any thread: alerts come from the GPS
// thread. A service that is absent or not running is the implementation's
// business; the caller is never told.
class DesktopNotifier {
public:
    virtual ~DesktopNotifier() = default;

    virtual void registerApplication(const std::string& applicationName,
        const std::vector<std::string>& allNotifications, const std::vector<std::string>& defaultNotifications)
        = 0;
    // Icon data and click context are always none, so they are not passed.
    virtual void notify(const std::string& title, const std::string& description, const std::string& notificationName,
        int priority, bool sticky)
        = 0;

protected:
    DesktopNotifier() = default;
    DesktopNotifier(const DesktopNotifier&) = default;
    DesktopNotifier& operator=(const DesktopNotifier&) = default;
};

} // namespace navora
