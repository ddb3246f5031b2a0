#pragma once

#include "support/ProgramRun.h"
#include "support/ScratchDirectory.h"

#include <QDBusConnection>
#include <QStringList>

#include <memory>

namespace navora::test {

// A dbus-daemon of the test's own on a socket in a scratch folder, stopped
// when this object goes. Its configuration names no service folders, so no
// notification daemon installed on the machine can be started on it.
class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }
    // A new connection to this bus under a name of its own; closed with the bus.
    QDBusConnection connect(const QString& name);

private:
    ScratchDirectory m_folder;
    std::unique_ptr<ProgramRun> m_daemon;
    QString m_address;
    QStringList m_connections;
};

} // namespace navora::test
