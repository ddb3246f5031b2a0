#pragma once

#include <QDBusConnection>
#include <QString>
#include <QTemporaryDir>

#include <sys/types.h>

namespace navora::test {

// A dbus-daemon of the test's own on a socket in a temporary folder, stopped
// when this object goes. Started with posix_spawn rather than QProcess, whose
// way of forking the thread sanitizer cannot follow. Its configuration names no service folders, so no
// notification daemon installed on the machine can be started on it.
class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }
    QString address() const { return m_address; }
    // A new connection to this bus under a name of its own; closed with the bus.
    QDBusConnection connect(const QString& name);

private:
    bool spawnDaemon(const QString& configPath);
    bool readAddress();
    void stopDaemon();

    QTemporaryDir m_dir;
    pid_t m_daemon = -1;
    int m_output = -1; // the daemon's standard output
    QString m_address;
    QStringList m_connections;
};

} // namespace navora::test
