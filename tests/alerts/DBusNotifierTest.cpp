#include "alerts/PrivateSessionBus.h"
#include "alerts/RecordingNotificationServer.h"
#include "support/QtApplication.h"

#include "alerts/AlertController.h"
#include "alerts/DBusDesktopNotifier.h"
#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"
#include "support/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

namespace navora {
namespace {

using test::NotifyCall;
using test::processEventsUntil;
using test::RecordingNotificationServer;

class DBusNotifierTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::ensureCoreApplication(); }

    void SetUp() override
    {
        m_bus = std::make_unique<test::PrivateSessionBus>();
        ASSERT_TRUE(m_bus->isRunning()) << "dbus-daemon did not start";
        m_settings.registerDefaults();
    }
    void TearDown() override
    {
        m_server.reset();
        m_bus.reset();
    }

    QDBusConnection connect(const char* role)
    {
        static int serial = 0;
        return m_bus->connect(QStringLiteral("navora-test-%1-%2").arg(QLatin1String(role)).arg(++serial));
    }
    void startServer()
    {
        m_server = std::make_unique<RecordingNotificationServer>(connect("server"));
        ASSERT_TRUE(m_server->isRegistered());
    }
    std::unique_ptr<AlertController> makeAlerts(const QString& table = AlertTable::defaultPath())
    {
        AlertController::Services services;
        services.notifier = std::make_unique<DBusDesktopNotifier>(connect("client"));
        return std::make_unique<AlertController>(m_settings, m_center, std::move(services), table);
    }
    bool waitForCalls(size_t count)
    {
        return processEventsUntil([&] { return m_server->callCount() >= count; });
    }

    std::unique_ptr<test::PrivateSessionBus> m_bus;
    std::unique_ptr<RecordingNotificationServer> m_server;
    MemorySettingsStore m_store;
    Settings m_settings{m_store};
    NotificationCenter m_center;
};

void expectUrgency(const NotifyCall& call, uchar urgency)
{
    const QVariant hint = call.hints.value(QStringLiteral("urgency"));
    EXPECT_EQ(hint.metaType().id(), QMetaType::UChar) << "urgency goes out as a D-Bus byte";
    EXPECT_EQ(hint.value<uchar>(), urgency);
    EXPECT_EQ(call.hints.size(), 1);
}

// Which texts an alert carries is the controller's; the bus adds the rest.
TEST_F(DBusNotifierTest, AlertsArriveWithTitleTextAndAppName)
{
    startServer();
    auto alerts = makeAlerts();
    alerts->alertAllForKey("WaypointArrival", "Buoy 7 in 30 seconds – über Kurs", "unused");
    ASSERT_TRUE(waitForCalls(1));
    const NotifyCall call = m_server->calls().front();
    EXPECT_EQ(call.summary.toStdString(), *alerts->alertDictionary().entry("WaypointArrival")->title);
    EXPECT_EQ(call.body, QStringLiteral("Buoy 7 in 30 seconds – über Kurs"));
    EXPECT_EQ(call.appName, QStringLiteral("Navora"));
    EXPECT_EQ(call.replacesId, 0U);
    EXPECT_TRUE(call.appIcon.isEmpty());
    EXPECT_TRUE(call.actions.isEmpty());
}

TEST_F(DBusNotifierTest, PriorityBecomesUrgencyAndStickyNeverExpires)
{
    struct Row {
        const char* key;
        const char* fields;
        uchar urgency;
        int expireTimeout;
    };
    const std::vector<Row> rows = {
        {"VeryLow", "<key>AlertPriority</key><integer>-2</integer><key>AlertSticky</key><false/>", 0, -1},
        {"Moderate", "<key>AlertPriority</key><integer>-1</integer><key>AlertSticky</key><true/>", 0, 0},
        {"Normal", "<key>AlertPriority</key><integer>0</integer><key>AlertSticky</key><false/>", 1, -1},
        {"High", "<key>AlertPriority</key><integer>1</integer><key>AlertSticky</key><true/>", 1, 0},
        {"Emergency", "<key>AlertPriority</key><integer>2</integer><key>AlertSticky</key><false/>", 2, -1},
        {"Beyond", "<key>AlertPriority</key><integer>40</integer><key>AlertSticky</key><false/>", 2, -1},
        {"Unset", "", 1, -1},
    };
    std::string body;
    for (const Row& row : rows)
        body += std::string("<key>") + row.key + "</key><dict><key>AlertTitle</key><string>" + row.key + "</string>"
            + row.fields + "</dict>";
    test::ScratchDirectory folder;
    const QString table = QString::fromStdString(folder.file("Alerts.plist").string());
    std::ofstream(table.toStdString()) << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" << body
                                       << "</dict></plist>";

    startServer();
    auto alerts = makeAlerts(table);
    for (const Row& row : rows)
        alerts->alertAllForKey(row.key, "text", "");
    ASSERT_TRUE(waitForCalls(rows.size()));
    const std::vector<NotifyCall> calls = m_server->calls();
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].key);
        EXPECT_EQ(calls[i].summary, QLatin1String(rows[i].key));
        expectUrgency(calls[i], rows[i].urgency);
        EXPECT_EQ(calls[i].expireTimeout, rows[i].expireTimeout);
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
    const std::vector<NotifyCall> calls = m_server->calls();
    for (size_t i = 0; i < alertCount; ++i)
        EXPECT_EQ(calls[i].body, QStringLiteral("Passed %1").arg(i));
}

// A name's new bubble replaces its previous one; other names keep theirs.
// The server numbers its bubbles 1, 2, ... in the order it is called.
TEST_F(DBusNotifierTest, ANamesNewBubbleReplacesItsPreviousOne)
{
    startServer();
    auto alerts = makeAlerts();
    const std::vector<std::pair<const char*, uint>> rows
        = {{"GPSOffline", 0}, {"GPSModeDown0D", 0}, {"GPSOffline", 1}, {"GPSModeDown0D", 2}, {"GPSOffline", 3}};
    for (size_t i = 0; i < rows.size(); ++i) {
        alerts->alertAllForKey(rows[i].first);
        ASSERT_TRUE(waitForCalls(i + 1));
        // The reply reaches the client's connection thread a moment later.
        test::processEventsFor(50);
    }
    const std::vector<NotifyCall> calls = m_server->calls();
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(calls[i].replacesId, rows[i].second) << i << " " << rows[i].first;
}

TEST_F(DBusNotifierTest, NoServiceOnTheBusIsHarmless)
{
    auto alerts = makeAlerts();
    for (int i = 0; i < 5; ++i)
        alerts->alertAllForKey("GPSModeUp3D");
    // A server that comes up later gets the alerts raised from then on.
    startServer();
    alerts->alertAllForKey("GPSModeUp2D");
    ASSERT_TRUE(waitForCalls(1));
    test::processEventsFor(100);
    EXPECT_EQ(m_server->callCount(), 1U);
}

} // namespace
} // namespace navora
