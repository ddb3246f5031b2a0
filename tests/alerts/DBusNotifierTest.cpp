// The notifier against a dbus-daemon of the test's own and a notification
// server that records every Notify call.
#include "alerts/AlertController.h"
#include "alerts/DBusDesktopNotifier.h"
#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/Settings.h"
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
        m_settings.registerDefaults();
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
    std::unique_ptr<AlertController> makeAlerts(const QString& table = AlertTable::defaultPath())
    {
        AlertController::Services services;
        services.notifier = std::make_unique<DBusDesktopNotifier>(connect());
        return std::make_unique<AlertController>(m_settings, m_center, std::move(services), table);
    }
    bool waitForCalls(size_t count)
    {
        return processEventsUntil([&] { return m_server.calls().size() >= count; });
    }

    test::ScratchDirectory m_folder;
    std::unique_ptr<test::ProgramRun> m_daemon;
    QString m_address;
    QStringList m_connections;
    RecordingNotificationServer m_server;
    MemorySettingsStore m_store;
    Settings m_settings{m_store};
    NotificationCenter m_center;
};

// Which texts an alert carries is the controller's; the bus adds the rest:
// the priority as urgency (a byte), stickiness as never expiring.
TEST_F(DBusNotifierTest, AlertsArriveWithTheirTextsUrgencyAndExpiry)
{
    const struct {
        const char* key;
        const char* fields;
        uchar urgency;
        int expireTimeout;
    } rows[] = {
        {"VeryLow", "<key>AlertPriority</key><integer>-2</integer><key>AlertSticky</key><false/>", 0, -1},
        {"Moderate", "<key>AlertPriority</key><integer>-1</integer><key>AlertSticky</key><true/>", 0, 0},
        {"Normal", "<key>AlertPriority</key><integer>0</integer><key>AlertSticky</key><false/>", 1, -1},
        {"High", "<key>AlertPriority</key><integer>1</integer><key>AlertSticky</key><true/>", 1, 0},
        {"Emergency", "<key>AlertPriority</key><integer>2</integer><key>AlertSticky</key><false/>", 2, -1},
        {"Beyond", "<key>AlertPriority</key><integer>40</integer><key>AlertSticky</key><false/>", 2, -1},
        {"Unset", "", 1, -1},
    };
    std::string table = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>";
    for (const auto& row : rows)
        table += std::string("<key>") + row.key + "</key><dict><key>AlertTitle</key><string>" + row.key + "</string>"
            + row.fields + "</dict>";
    startServer();
    auto alerts = makeAlerts(QString::fromStdString(m_folder.write("Alerts.plist", table + "</dict></plist>")));
    for (const auto& row : rows)
        alerts->alertAllForKey(row.key, "Buoy 7 in 30 seconds – über Kurs", "");
    ASSERT_TRUE(waitForCalls(std::size(rows)));
    const std::vector<QVariantList> calls = m_server.calls();
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].key);
        const QVariantList& call = calls[i];
        EXPECT_EQ(call[summary].toString(), QLatin1String(rows[i].key));
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

// Alerts come from the GPS thread, which runs no Qt event loop.
TEST_F(DBusNotifierTest, AlertsFromAPlainThreadReachTheBusInOrder)
{
    startServer();
    auto alerts = makeAlerts();
    constexpr size_t alertCount = 20;
    std::thread gps([&] {
        for (size_t i = 0; i < alertCount; ++i)
            alerts->alertAllForKey("WaypointPassage", "Passed " + std::to_string(i), "");
    });
    gps.join();
    ASSERT_TRUE(waitForCalls(alertCount));
    const std::vector<QVariantList> calls = m_server.calls();
    for (size_t i = 0; i < alertCount; ++i)
        EXPECT_EQ(calls[i][body].toString(), QStringLiteral("Passed %1").arg(i));
}

// A name's new bubble replaces its previous one; other names keep theirs.
TEST_F(DBusNotifierTest, ANamesNewBubbleReplacesItsPreviousOne)
{
    startServer();
    auto alerts = makeAlerts();
    const std::pair<const char*, uint> rows[]
        = {{"GPSOffline", 0}, {"GPSModeDown0D", 0}, {"GPSOffline", 1}, {"GPSModeDown0D", 2}, {"GPSOffline", 3}};
    for (size_t i = 0; i < std::size(rows); ++i) {
        alerts->alertAllForKey(rows[i].first);
        ASSERT_TRUE(waitForCalls(i + 1));
        // The reply reaches the client's connection thread a moment later.
        test::processEventsFor(50);
    }
    const std::vector<QVariantList> calls = m_server.calls();
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(calls[i][replacesId].toUInt(), rows[i].second) << i << " " << rows[i].first;
}

// A server that comes up later gets the alerts raised from then on.
TEST_F(DBusNotifierTest, NoServiceOnTheBusIsHarmless)
{
    auto alerts = makeAlerts();
    for (int i = 0; i < 5; ++i)
        alerts->alertAllForKey("GPSModeUp3D");
    startServer();
    alerts->alertAllForKey("GPSModeUp2D");
    ASSERT_TRUE(waitForCalls(1));
    test::processEventsFor(100);
    EXPECT_EQ(m_server.calls().size(), 1U);
}

} // namespace
} // namespace navora
