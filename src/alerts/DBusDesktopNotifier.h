#pragma once

#include "alerts/DesktopNotifier.h"

#include <QDBusConnection>

#include <QDBusPendingCall>

#include <map>
#include <mutex>
#include <string>

namespace navora {

// Desktop notifications through org.freedesktop.Notifications on a D-Bus
// connection (the session bus unless told otherwise).
//
// Each notification is one asynchronous Notify call, so posting never waits
// for the bus or the notification server, and works from threads without a
// Qt event loop (the GPS thread). The reply (the bubble's id) is kept per
// notification name and read when that name is posted again, so the new
// bubble replaces the old one instead of piling up; a reply not yet in by
// then is given up and the new bubble stands alone. The freedesktop
// service has no registration; registering only records the application
// name that goes out as app_name.
//
// Priority to urgency: -1 and below are low (0), 0 and 1 normal (1), 2 and
// above critical (2). A sticky notification never expires (timeout 0);
// others expire as the server likes (-1).
class DBusDesktopNotifier : public DesktopNotifier {
public:
    DBusDesktopNotifier();
    explicit DBusDesktopNotifier(const QDBusConnection& connection);

    void registerApplication(const std::string& applicationName, const std::vector<std::string>& allNotifications,
        const std::vector<std::string>& defaultNotifications) override;
    void notify(const std::string& title, const std::string& description, const std::string& notificationName,
        int priority, bool sticky) override;

    const QDBusConnection& connection() const { return m_connection; }

    static unsigned char urgencyForPriority(int priority);
    static int expireTimeoutForSticky(bool sticky) { return sticky ? 0 : -1; }

private:
    QString applicationName() const;
    // The id of the bubble last shown for the name, 0 when none is known.
    uint previousId(const std::string& notificationName);

    const QDBusConnection m_connection;
    mutable std::mutex m_mutex;
    QString m_applicationName = QStringLiteral("Navora");
    // The last Notify call per notification name, and its id once replied.
    std::map<std::string, QDBusPendingCall, std::less<>> m_lastCalls;
    std::map<std::string, uint, std::less<>> m_lastIds;
};

} // namespace navora
