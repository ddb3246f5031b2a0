#include "alerts/PrivateSessionBus.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace navora::test {

namespace {

QByteArray configuration(const QString& socketPath)
{
    return QByteArrayLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN\"\n"
                             " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                             "<busconfig>\n  <type>session</type>\n  <listen>unix:path=")
        + socketPath.toUtf8()
        + QByteArrayLiteral("</listen>\n  <auth>EXTERNAL</auth>\n"
                            "  <policy context=\"default\">\n"
                            "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                            "    <allow eavesdrop=\"true\"/>\n    <allow own=\"*\"/>\n"
                            "  </policy>\n</busconfig>\n");
}

bool exited(pid_t pid, int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    do {
        const pid_t done = waitpid(pid, nullptr, WNOHANG);
        if (done == pid || (done < 0 && errno == ECHILD))
            return true;
        QThread::msleep(10);
    } while (!deadline.hasExpired());
    return false;
}

} // namespace

PrivateSessionBus::PrivateSessionBus()
{
    if (!m_dir.isValid())
        return;
    const QString configPath = m_dir.filePath(QStringLiteral("bus.conf"));
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly) || config.write(configuration(m_dir.filePath(QStringLiteral("bus")))) < 0)
        return;
    config.close();
    if (spawnDaemon(configPath) && !readAddress())
        stopDaemon();
}

PrivateSessionBus::~PrivateSessionBus()
{
    for (const QString& name : m_connections)
        QDBusConnection::disconnectFromBus(name);
    stopDaemon();
}

QDBusConnection PrivateSessionBus::connect(const QString& name)
{
    m_connections.append(name);
    return QDBusConnection::connectToBus(m_address, name);
}

bool PrivateSessionBus::spawnDaemon(const QString& configPath)
{
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    const QByteArray configOption = (QStringLiteral("--config-file=") + configPath).toLocal8Bit();
    char program[] = "dbus-daemon";
    char printAddress[] = "--print-address";
    char noFork[] = "--nofork";
    char* argv[] = {program, const_cast<char*>(configOption.constData()), printAddress, noFork, nullptr};
    const int failed = posix_spawnp(&m_daemon, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (failed != 0) {
        close(pipeEnds[0]);
        m_daemon = -1;
        return false;
    }
    m_output = pipeEnds[0];
    return true;
}

bool PrivateSessionBus::readAddress()
{
    QByteArray line;
    QDeadlineTimer deadline(10000);
    while (!line.contains('\n') && !deadline.hasExpired()) {
        pollfd ready{m_output, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(deadline.remainingTime())) <= 0)
            continue;
        char buffer[256];
        const ssize_t count = read(m_output, buffer, sizeof buffer);
        if (count <= 0)
            return false;
        line.append(buffer, count);
    }
    m_address = QString::fromUtf8(line.left(line.indexOf('\n'))).trimmed();
    return !m_address.isEmpty();
}

void PrivateSessionBus::stopDaemon()
{
    if (m_daemon > 0) {
        kill(m_daemon, SIGTERM);
        if (!exited(m_daemon, 5000)) {
            kill(m_daemon, SIGKILL);
            exited(m_daemon, 5000);
        }
        m_daemon = -1;
    }
    if (m_output >= 0)
        close(m_output);
    m_output = -1;
    m_address.clear();
}

} // namespace navora::test
