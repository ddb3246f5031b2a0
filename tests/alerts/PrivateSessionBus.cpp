#include "alerts/PrivateSessionBus.h"

#include <chrono>
#include <fstream>

namespace navora::test {

PrivateSessionBus::PrivateSessionBus()
{
    const std::string config = m_folder.file("bus.conf").string();
    std::ofstream(config) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN\"\n"
                             " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                             "<busconfig><type>session</type><listen>unix:path="
                          << m_folder.file("bus").string()
                          << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                             "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                             "<allow own=\"*\"/></policy></busconfig>\n";
    m_daemon = std::make_unique<ProgramRun>(
        std::vector<std::string>{"dbus-daemon", "--config-file=" + config, "--print-address=1", "--nofork"},
        m_folder.file("errors.txt"), std::vector<std::string>{});
    if (const auto address = m_daemon->readLine(std::chrono::seconds(10)))
        m_address = QString::fromStdString(*address);
}

PrivateSessionBus::~PrivateSessionBus()
{
    for (const QString& name : m_connections)
        QDBusConnection::disconnectFromBus(name);
    m_daemon.reset();
}

QDBusConnection PrivateSessionBus::connect(const QString& name)
{
    m_connections.append(name);
    return QDBusConnection::connectToBus(m_address, name);
}

} // namespace navora::test
