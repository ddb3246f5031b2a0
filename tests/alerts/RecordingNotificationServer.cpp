#include "alerts/RecordingNotificationServer.h"

namespace navora::test {

namespace {

constexpr const char* serviceName = "org.freedesktop.Notifications";
constexpr const char* objectPath = "/org/freedesktop/Notifications";

} // namespace

RecordingNotificationServer::RecordingNotificationServer(const QDBusConnection& connection)
    : m_connection(connection)
{
    m_registered = m_connection.registerObject(QString::fromLatin1(objectPath), this, QDBusConnection::ExportAllSlots)
        && m_connection.registerService(QString::fromLatin1(serviceName));
}

RecordingNotificationServer::~RecordingNotificationServer()
{
    m_connection.unregisterService(QString::fromLatin1(serviceName));
    m_connection.unregisterObject(QString::fromLatin1(objectPath));
}

std::vector<NotifyCall> RecordingNotificationServer::calls() const
{
    std::lock_guard lock(m_mutex);
    return m_calls;
}

size_t RecordingNotificationServer::callCount() const
{
    std::lock_guard lock(m_mutex);
    return m_calls.size();
}

uint RecordingNotificationServer::Notify(const QString& appName, uint replacesId, const QString& appIcon,
    const QString& summary, const QString& body, const QStringList& actions, const QVariantMap& hints,
    int expireTimeout)
{
    std::lock_guard lock(m_mutex);
    m_calls.push_back({appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout});
    return static_cast<uint>(m_calls.size());
}

QStringList RecordingNotificationServer::GetCapabilities() const
{
    return {QStringLiteral("body")};
}

} // namespace navora::test
