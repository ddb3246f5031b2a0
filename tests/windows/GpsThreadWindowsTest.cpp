// The windows fed by the GPS thread itself: reports from a fake gpsd reach
// the GPS window in the order sent, each whole, while this thread runs the
// event loop; stopped, the controller (and its thread) goes first.
#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"
#include "documents/DocumentDesk.h"
#include "gps/LinkTestSupport.h"
#include "gps/ScriptedServer.h"
#include "gps/windows/FieldWriter.h"
#include "gps/windows/GPSWindowController.h"
#include "nav/DisplayFields.h"

#include <QCoreApplication>
#include <QLabel>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace navora::test {
namespace {

namespace f = navora::fields;
constexpr int reports = 60;

double latitudeOf(int report)
{
    return 52.5 + report * 0.001;
}

// A single-letter fix reply: position, time and speed move on with each one.
std::string fixReply(int report)
{
    char reply[256];
    std::snprintf(reply, sizeof reply,
        "GPSD,O=RMC %.3f 0.005 %.6f 13.300000 120.50 17.10 27.60 45.0000 5.144 0.100 ? ? ? 3,M=3,X=%.3f\r\n",
        1714564812.0 + report, latitudeOf(report), 1714564812.0 + report);
    return reply;
}

// Answers the start commands, then sends the reports at once.
ScriptedServer::Script reportingServer()
{
    return [](ScriptedServer::Connection& client) {
        while (const std::optional<std::string> line = client.readLine()) {
            std::string reply = "GPSD\r\n";
            if (*line == "omyx\n")
                reply = fixReply(0);
            else if (line->rfind("N=", 0) == 0)
                reply = "GPSD,N=0\r\n";
            else if (*line == "w+x\n")
                reply = "GPSD,W=1,X=1714564812.000\r\n";
            if (!client.send(reply))
                return;
            if (*line != "w+x\n")
                continue;
            for (int report = 1; report <= reports; ++report) {
                if (!client.send(fixReply(report)))
                    return;
            }
        }
    };
}

TEST(GpsThreadWindows, ReportsReachTheGpsWindowWholeAndInOrder)
{
    ensureWidgetApplication();
    ScriptedServer server(reportingServer());
    MemorySettingsStore store;
    Settings settings{store};
    settings.registerDefaults();
    settings.setInteger(TRVProtocolKey, 1);
    settings.setString(TRVgpsdServerKey, "127.0.0.1");
    settings.setString(TRVgpsdPortKey, server.portText());
    NotificationCenter center;
    GPSWindowController::Services services{settings, center, fastLink(), {}};
    services.timings.pause = std::chrono::milliseconds(50);
    auto windows = std::make_unique<GPSWindowController>(std::move(services));
    ASSERT_TRUE(windows->controller().running());
    // The windows stay hidden: painting would run Qt's own worker threads,
    // which the thread checker cannot see into.

    // The texts the latitude field shows, by report.
    const auto* latitude = windows->window(f::window)->findChild<QLabel*>("fixLatitude");
    std::vector<QString> texts;
    for (int report = 0; report <= reports; ++report)
        texts.push_back(FieldWriter::numberText(*latitude, latitudeOf(report)));

    int last = -1;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (last < reports && std::chrono::steady_clock::now() < giveUp) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const auto shown = windows->fieldSnapshot();
        const QString text = QString::fromStdString(shown.at("fixLatitude"));
        if (text.isEmpty())
            continue;
        const auto found = std::find(texts.begin(), texts.end(), text);
        ASSERT_NE(found, texts.end()) << text.toStdString();
        const int report = static_cast<int>(found - texts.begin());
        ASSERT_GE(report, last);
        // One report's fields together: its time with its position.
        char time[32];
        std::snprintf(time, sizeof time, "2024-05-01 12:%02d:%02d", (12 + report) / 60, (12 + report) % 60);
        ASSERT_EQ(shown.at("fixTime"), time);
        last = report;
    }
    EXPECT_EQ(last, reports);
    EXPECT_EQ(windows->fieldSnapshot().at("fixBox"), "3D fix");

    windows->controller().stopAll();
    EXPECT_FALSE(windows->controller().running());
    windows.reset();
    processEvents();
}

} // namespace
} // namespace navora::test
