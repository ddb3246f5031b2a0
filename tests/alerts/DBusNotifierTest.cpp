// The notifier against a dbus-daemon of the test's own and a notification
// server that records every Notify call.
#include "alerts/DBusDesktopNotifier.h"
#include "support/ProgramRun.h"
#include "support/QtApplication.h"
#include "support/ScratchDirectory.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

namespace navora {
namespace {

using test::processEventsUntil;

// Owns org.freedesktop.Notifications and records the arguments of each Notify
// call; answers with the bubble numbers 1, 2, ... in the order it is called.
class RecordingNotificationServer : public QDBusVirtualObject {
public:
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() != QLatin1String("Notify"))
            return false;
        std::lock_guard lock(m_mutex);
        m_calls.push_back(message.arguments());
        connection.send(message.createReply(QVariant::fromValue(uint(m_calls.size()))));
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
    std::vector<QVariantList> calls() const
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<QVariantList> m_calls;
};

// Notify's arguments: app name, replaced id, icon, summary, body, actions,
// hints, expiry.
enum Argument { appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout };

class DBusNotifierTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::ensureCoreApplication(); }

    void SetUp() override
    {
        // No service folders: no notification daemon of the machine's can start on it.
        const std::string config = m_folder.write("bus.conf",
            "<busconfig><type>session</type><listen>unix:path=" + m_folder.file("bus").string()
                + "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" "
                  "eavesdrop=\"true\"/>"
                  "<allow eavesdrop=\"true\"/>"
                  "<allow own=\"*\"/></policy></busconfig>\n");
        m_daemon = std::make_unique<test::ProgramRun>(
            std::vector<std::string>{"dbus-daemon", "--config-file=" + config, "--print-address=1", "--nofork"},
            m_folder.file("errors.txt"), std::vector<std::string>{});
        const auto address = m_daemon->readLine(std::chrono::seconds(10));
        ASSERT_TRUE(address) << "dbus-daemon did not start";
        m_address = QString::fromStdString(*address);
    }
    void TearDown() override
    {
        for (const QString& name : m_connections)
            QDBusConnection::disconnectFromBus(name);
    }

    QDBusConnection connect()
    {
        static int serial = 0;
        m_connections.append(QStringLiteral("navora-test-%1").arg(++serial));
        return QDBusConnection::connectToBus(m_address, m_connections.back());
    }
    void startServer()
    {
        QDBusConnection connection = connect();
        ASSERT_TRUE(connection.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), &m_server)
            && connection.registerService(QStringLiteral("org.freedesktop.Notifications")));
    }
    std::unique_ptr<DBusDesktopNotifier> makeNotifier() { return std::make_unique<DBusDesktopNotifier>(connect()); }
    bool waitForCalls(size_t count)
    {
        return processEventsUntil([&] { return m_server.calls().size() >= count; });
    }

    test::ScratchDirectory m_folder;
    std::unique_ptr<test::ProgramRun> m_daemon;
    QString m_address;
    QStringList m_connections;
    RecordingNotificationServer m_server;
};

// The texts as given, the priority as urgency (a byte), stickiness as never
// expiring.
TEST_F(DBusNotifierTest, NotificationsArriveWithTheirTextsUrgencyAndExpiry)
{
    const struct {
        int priority;
        bool sticky;
        uchar urgency;
        int expireTimeout;
    } rows[] = {{-2, false, 0, -1}, {-1, true, 0, 0}, {0, false, 1, -1}, {1, true, 1, 0}, {2, false, 2, -1},
        {40, false, 2, -1}};
    startServer();
    auto notifier = makeNotifier();
    for (const auto& row : rows) {
        const std::string title = "Priority " + std::to_string(row.priority);
        notifier->notify(title, "Buoy 7 in 30 seconds – über Kurs", title, row.priority, row.sticky);
    }
    ASSERT_TRUE(waitForCalls(std::size(rows)));
    const std::vector<QVariantList> calls = m_server.calls();
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].priority);
        const QVariantList& call = calls[i];
        EXPECT_EQ(call[summary].toString(), QStringLiteral("Priority %1").arg(rows[i].priority));
        EXPECT_EQ(call[body].toString(), QStringLiteral("Buoy 7 in 30 seconds – über Kurs"));
        EXPECT_EQ(call[appName].toString(), QStringLiteral("Navora"));
        EXPECT_EQ(call[replacesId].toUInt(), 0U);
        EXPECT_TRUE(call[appIcon].toString().isEmpty());
        EXPECT_TRUE(qdbus_cast<QStringList>(call[actions]).isEmpty());
        const QVariantMap hintMap = qdbus_cast<QVariantMap>(call[hints]);
        EXPECT_EQ(hintMap.keys(), QStringList{QStringLiteral("urgency")});
        EXPECT_EQ(hintMap.value(QStringLiteral("urgency")).metaType().id(), QMetaType::UChar);
        EXPECT_EQ(hintMap.value(QStringLiteral("urgency")).value<uchar>(), rows[i].urgency);
        EXPECT_EQ(call[expireTimeout].toInt(), rows[i].expireTimeout);
    }
}

// Notifications come from the GPS thread, which runs no Qt event loop.
TEST_F(DBusNotifierTest, NotificationsFromAPlainThreadReachTheBusInOrder)
{
    startServer();
    auto notifier = makeNotifier();
    constexpr size_t count = 20;
    std::thread gps([&] {
        for (size_t i = 0; i < count; ++i)
            notifier->notify("Waypoint Passage", "Passed " + std::to_string(i), "Waypoint", 0, false);
    });
    gps.join();
    ASSERT_TRUE(waitForCalls(count));
    const std::vector<QVariantList> calls = m_server.calls();
    for (size_t i = 0; i < count; ++i)
        EXPECT_EQ(calls[i][body].toString(), QStringLiteral("Passed %1").arg(i));
}

// A name's new bubble replaces its previous one; other names keep theirs.
TEST_F(DBusNotifierTest, ANamesNewBubbleReplacesItsPreviousOne)
{
    startServer();
    auto notifier = makeNotifier();
    const std::pair<const char*, uint> rows[]
        = {{"GPS Connection", 0}, {"GPS Mode", 0}, {"GPS Connection", 1}, {"GPS Mode", 2}, {"GPS Connection", 3}};
    for (size_t i = 0; i < std::size(rows); ++i) {
        notifier->notify("Title", "", rows[i].first, 0, false);
        ASSERT_TRUE(waitForCalls(i + 1));
        // The reply reaches the client's connection thread a moment later.
        test::processEventsFor(50);
    }
    const std::vector<QVariantList> calls = m_server.calls();
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(calls[i][replacesId].toUInt(), rows[i].second) << i << " " << rows[i].first;
}

// A server that comes up later gets the notifications raised from then on.
TEST_F(DBusNotifierTest, NoServiceOnTheBusIsHarmless)
{
    auto notifier = makeNotifier();
    for (int i = 0; i < 5; ++i)
        notifier->notify("GPS 3D", "", "GPS Mode", 0, false);
    startServer();
    notifier->notify("GPS 2D", "", "GPS Mode", 0, false);
    ASSERT_TRUE(waitForCalls(1));
    test::processEventsFor(100);
    EXPECT_EQ(m_server.calls().size(), 1U);
}

} // namespace
} // namespace navora
