#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <mutex>
#include <vector>

namespace navora::test {

struct NotifyCall {
    QString appName;
    uint replacesId = 0;
    QString appIcon;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
    int expireTimeout = 0;
};

// A notification server of the test's own: owns org.freedesktop.Notifications
// on the given connection and records every Notify call. Calls are delivered
// on the thread this object lives on, which must run Qt events.
class RecordingNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    explicit RecordingNotificationServer(const QDBusConnection& connection);
    ~RecordingNotificationServer() override;

    bool isRegistered() const { return m_registered; }
    std::vector<NotifyCall> calls() const;
    size_t callCount() const;

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary,
        const QString& body, const QStringList& actions, const QVariantMap& hints, int expireTimeout);
    QStringList GetCapabilities() const;

private:
    QDBusConnection m_connection;
    bool m_registered = false;
    mutable std::mutex m_mutex;
    std::vector<NotifyCall> m_calls;
};

} // namespace navora::test
