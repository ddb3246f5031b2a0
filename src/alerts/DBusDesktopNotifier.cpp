#include "alerts/DBusDesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
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

void DBusDesktopNotifier::notify(const std::string& title, const std::string& description,
    const std::string& notificationName, int priority, bool sticky)
{
    if (!m_connection.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(notificationsService),
        QString::fromLatin1(notificationsPath), QString::fromLatin1(notificationsService), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue(urgencyForPriority(priority))}};
    const uint replaces = previousId(notificationName);
    call << applicationName() << replaces << QString() << QString::fromStdString(title)
         << QString::fromStdString(description) << QStringList() << hints << expireTimeoutForSticky(sticky);
    // Sent from any thread; the reply is looked at only when the name comes
    // again, so nothing waits.
    QDBusPendingCall pending = m_connection.asyncCall(call);
    if (notificationName.empty())
        return;
    std::lock_guard lock(m_mutex);
    m_lastCalls.insert_or_assign(notificationName, std::move(pending));
}

uint DBusDesktopNotifier::previousId(const std::string& notificationName)
{
    // Bubbles without a name stand alone.
    if (notificationName.empty())
        return 0U;
    std::lock_guard lock(m_mutex);
    const auto call = m_lastCalls.find(notificationName);
    if (call != m_lastCalls.end() && call->second.isFinished()) {
        const QDBusPendingReply<uint> reply(call->second);
        if (reply.isValid())
            m_lastIds[notificationName] = reply.value();
        m_lastCalls.erase(call);
    }
    const auto id = m_lastIds.find(notificationName);
    return id == m_lastIds.end() ? 0U : id->second;
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
