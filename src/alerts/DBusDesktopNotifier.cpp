#include "alerts/DBusDesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QStringList>
#include <QVariantMap>

namespace navora {

namespace {

constexpr const char* notificationsService = "org.freedesktop.Notifications";
constexpr const char* notificationsPath = "/org/freedesktop/Notifications";

} // namespace

DBusDesktopNotifier::DBusDesktopNotifier()
    : DBusDesktopNotifier(QDBusConnection::sessionBus())
{
}

DBusDesktopNotifier::DBusDesktopNotifier(const QDBusConnection& connection)
    : m_connection(connection)
{
}

void DBusDesktopNotifier::registerApplication(
    const std::string& applicationName, const std::vector<std::string>&, const std::vector<std::string>&)
{
    std::lock_guard lock(m_mutex);
    m_applicationName = QString::fromStdString(applicationName);
}

void DBusDesktopNotifier::notify(
    const std::string& title, const std::string& description, const std::string&, int priority, bool sticky)
{
    if (!m_connection.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(notificationsService),
        QString::fromLatin1(notificationsPath), QString::fromLatin1(notificationsService), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue(urgencyForPriority(priority))}};
    call << applicationName() << 0U << QString() << QString::fromStdString(title) << QString::fromStdString(description)
         << QStringList() << hints << expireTimeoutForSticky(sticky);
    // Sent from any thread; the pending reply is dropped, so nothing waits.
    m_connection.asyncCall(call);
}

unsigned char DBusDesktopNotifier::urgencyForPriority(int priority)
{
    if (priority <= -1)
        return 0;
    if (priority >= 2)
        return 2;
    return 1;
}

QString DBusDesktopNotifier::applicationName() const
{
    std::lock_guard lock(m_mutex);
    return m_applicationName;
}

} // namespace navora
