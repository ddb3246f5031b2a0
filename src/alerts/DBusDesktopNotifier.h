#pragma once

#include "alerts/DesktopNotifier.h"

#include <QDBusConnection>

#include <mutex>

namespace navora {

// Desktop notifications through org.freedesktop.Notifications on a D-Bus
// connection (the session bus unless told otherwise).
//
// Each notification is one asynchronous Notify call whose reply is dropped,
// so posting never waits for the bus or the notification server, and works
// from threads without a Qt event loop (the GPS thread). The freedesktop
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

    const QDBusConnection m_connection;
    mutable std::mutex m_mutex;
    QString m_applicationName = QStringLiteral("Navora");
};

} // namespace navora
