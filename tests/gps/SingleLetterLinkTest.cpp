// The link and the GPS thread against a fake gpsd of the single-letter
// protocol: the commands in order, a receiver gone stale, reconnection and
// the attempts after it, a change of server, a server that is not there or
// never answers, stopping and destruction.
#include "gps/ControllerHarness.h"
#include "gps/ScriptedServer.h"
#include "support/Eventually.h"

#include "core/NotificationNames.h"
#include "core/SettingsKeys.h"
#include "nav/DisplayFields.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace navora::test {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

class SingleLetterLink : public testing::Test {
protected:
    GPSController& start(const ScriptedServer& server, GPSTimings timings = ControllerHarness::fastTimings())
    {
        harness.settings.setString(TRVgpsdServerKey, "127.0.0.1");
        harness.settings.setString(TRVgpsdPortKey, server.portText());
        GPSController& controller = harness.make(fastLink(), timings);
        controller.windowDidLoad();
        return controller;
    }

    static std::string connecting(int port)
    {
        return "Connecting to gpsd server 127.0.0.1, port " + std::to_string(port) + "...";
    }

    LogCapture log;
    ControllerHarness harness;
};

TEST_F(SingleLetterLink, StartSendsTheCommandsInOrderAndReportsReachTheDisplay)
{
    harness.settings.setInteger(TRVProtocolKey, 1);
    ScriptedServer server(ScriptedServer::singleLetterServer());
    GPSController& controller = start(server);
    EXPECT_TRUE(controller.running());
    ASSERT_TRUE(eventually([&] { return controller.connected(); }));
    EXPECT_EQ(log.lines(), (Strings{connecting(server.port()), "Connected to gpsd."}));
    EXPECT_EQ(dynamic_cast<GpsdLink&>(controller.gps1()).protocol(), GpsdLink::Protocol::SingleLetter);

    ASSERT_TRUE(eventually([&] { return server.linesOf(1).size() >= 3; }));
    const auto received = server.received();
    EXPECT_EQ(server.linesOf(1), (Strings{"omyx\n", "N=1\n", "w+x\n"}));
    EXPECT_GE(received[1].when - received[0].when, 90ms) << "a pause between the first two commands";

    ASSERT_TRUE(eventually([&] { return harness.display->state().title(fields::fixBox) == "3D fix"; }));
    EXPECT_TRUE(eventually([&] { return controller.currentPos() != nullptr; }));
    EXPECT_DOUBLE_EQ(controller.lat(), 52.5);
    // Status replies that repeat the fix: the receiver goes off line past
    // the stale bound, checked while the link is quiet.
    ASSERT_TRUE(eventually([&] { return harness.display->state().title(fields::fixBox) == "GPS OFFLINE"; }, 9s));
    EXPECT_EQ(harness.alerts->keys(), (Strings{"GPSModeUp3D", "GPSOffline"}));
    EXPECT_TRUE(log.contains("GPS receiver off line: no report from the receiver for 5 s")
        || log.contains("GPS receiver off line: no report from the receiver for 6 s"));
    // Destruction stops the running thread first.
    harness.destroy();
    EXPECT_EQ(linesFrom(log.lines(), "GPS Controller shutting down"),
        (Strings{"GPS Controller shutting down", "exiting GPS thread"}));
}

TEST_F(SingleLetterLink, AClosedConnectionIsReopenedWithTheWatchCommandOnly)
{
    ScriptedServer server([](ScriptedServer::Connection& client) {
        for (int i = 0; const auto line = client.readLine(); ++i) {
            client.send(ScriptedServer::fixReply());
            if (client.number() == 1 && i == 2)
                return; // hang up after the start commands
        }
    });
    start(server);
    ASSERT_TRUE(eventually([&] { return log.contains("Connection re-established"); }));
    const std::string closed = "gps: socket error: the server closed the connection";
    EXPECT_EQ(linesFrom(log.lines(), closed),
        (Strings{closed, "Attempting to reopen gpsd connection...", connecting(server.port()),
            "Connection re-established"}));
    ASSERT_TRUE(eventually([&] { return server.linesOf(2).size() >= 2; }));
    EXPECT_EQ(server.linesOf(1), (Strings{"omyx\n", "N=0\n", "w+x\n"}));
    EXPECT_EQ(server.linesOf(2), (Strings{"w+x\n", "X\n"}));
}

TEST_F(SingleLetterLink, AFailedReopenIsFollowedByAttemptsAtGrowingIntervalsUntilStopped)
{
    auto server = std::make_unique<ScriptedServer>(ScriptedServer::singleLetterServer());
    const int port = server->port();
    GPSController& controller = start(*server);
    ASSERT_TRUE(eventually([&] { return server->linesOf(1).size() >= 3; }));
    server.reset(); // hangs up and stops listening
    // 0.2 s doubled up to 0.8 s: 0.2 + 0.4 + 0.8 + 0.8 s of waiting.
    const std::string refused = "Unable to open gpsd connection to 127.0.0.1:" + std::to_string(port)
        + " (connection refused) - trying again in ";
    ASSERT_TRUE(eventually([&] { return log.count(refused + "0.8 s") == 2; }));
    EXPECT_TRUE(controller.running());
    EXPECT_FALSE(controller.connected());
    EXPECT_EQ(linesFrom(log.lines(), "Attempting to reopen gpsd connection..."),
        (Strings{"Attempting to reopen gpsd connection...", connecting(port), "Unable to open gpsd connection.",
            "GPS receiver off line: the link to gpsd is lost", "just lost position - releasing cp", refused + "0.2 s",
            refused + "0.4 s", refused + "0.8 s", refused + "0.8 s"}));
    controller.stopAll();
    ASSERT_TRUE(eventually([&] { return log.contains("exiting GPS thread"); }, 2s));
    const Strings last = log.lines();
    EXPECT_EQ(last[last.size() - 2].rfind(refused, 0), 0u) << "the stop cuts the wait short, with no attempt";
    const size_t attempts = log.lines().size();
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(log.lines().size(), attempts) << "no attempt after the stop";
    const DisplayState shown = harness.display->state();
    for (const auto window : {fields::window, fields::navDataWindow, fields::miniNavWindow})
        EXPECT_EQ(shown.visible(window), false) << window;
    harness.destroy();
    EXPECT_EQ(log.count("exiting GPS thread"), 1u);
}

// Nothing listens: the window says so and when it tries again; a change of
// server connects at once, without waiting for that try.
TEST_F(SingleLetterLink, NothingListeningIsShownAndAServerChangeConnectsAtOnce)
{
    const int port = unusedPort();
    harness.settings.setString(TRVgpsdServerKey, "127.0.0.1");
    harness.settings.setString(TRVgpsdPortKey, std::to_string(port));
    GPSTimings timings = ControllerHarness::fastTimings();
    timings.retryFirst = 30s;
    timings.retryMax = 60s;
    GPSController& controller = harness.make(fastLink(), timings);
    controller.windowDidLoad();
    const std::string cannot
        = "Cannot connect to gpsd at 127.0.0.1:" + std::to_string(port) + " (connection refused). Next try in 30 s.";
    ASSERT_TRUE(eventually([&] { return harness.display->state().text(fields::linkState) == cannot; }))
        << harness.display->state().text(fields::linkState).value_or("(none)");
    EXPECT_EQ(harness.display->state().text(fields::mnLinkState), cannot);
    EXPECT_EQ(log.lines(),
        (Strings{connecting(port), "Unable to open gpsd connection.",
            "Unable to open gpsd connection to 127.0.0.1:" + std::to_string(port)
                + " (connection refused) - trying again in 30 s"}));

    ScriptedServer server(ScriptedServer::singleLetterServer());
    harness.settings.setString(TRVgpsdPortKey, server.portText());
    const auto changed = std::chrono::steady_clock::now();
    harness.center.post(TRVServerPortChanged);
    ASSERT_TRUE(eventually([&] { return harness.display->state().title(fields::fixBox) == "3D fix"; }));
    EXPECT_LT(std::chrono::steady_clock::now() - changed, 5s);
    EXPECT_EQ(linesFrom(log.lines(), "Change of server received - connecting at once"),
        (Strings{"Change of server received - connecting at once", connecting(server.port()), "Connected to gpsd."}));
    EXPECT_EQ(server.linesOf(1).front(), "omyx\n");

    // Connected, a change of server closes the link and reopens it there.
    ScriptedServer other(ScriptedServer::singleLetterServer());
    harness.settings.setString(TRVgpsdPortKey, other.portText());
    harness.center.post(TRVServerPortChanged);
    ASSERT_TRUE(eventually([&] { return log.contains("Connection re-established"); }));
    EXPECT_EQ(
        linesFrom(log.lines(), "Change of server received - closing gpsd connection (should reopen automatically)"),
        (Strings{"Change of server received - closing gpsd connection (should reopen automatically)",
            "gps: socket error: closed for the change of server", "Attempting to reopen gpsd connection...",
            connecting(other.port()), "Connection re-established"}));
}

// The connect runs on the GPS thread: the window's thread never waits.
TEST_F(SingleLetterLink, ABlackHoledServerIsGivenUpWithinTheConnectBound)
{
    BlackHole hole;
    harness.settings.setString(TRVgpsdServerKey, "127.0.0.1");
    harness.settings.setString(TRVgpsdPortKey, std::to_string(hole.port()));
    GPSController& controller = harness.make(fastLink());
    const auto started = std::chrono::steady_clock::now();
    controller.windowDidLoad();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 100ms);
    EXPECT_EQ(harness.display->state().text(fields::linkState),
        "Connecting to gpsd at 127.0.0.1:" + std::to_string(hole.port()) + "...");
    ASSERT_TRUE(eventually([&] { return log.contains("Unable to open gpsd connection."); }, 5s));
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_FALSE(controller.connected());
    EXPECT_GE(took, 900ms);
    EXPECT_LT(took, 5s) << "bounded by the connect bound, not by TCP's own minutes";
    EXPECT_TRUE(eventually([&] {
        return log.contains("Unable to open gpsd connection to 127.0.0.1:" + std::to_string(hole.port())
            + " (connection timed out) - trying again in 0.2 s");
    }));
}

} // namespace
} // namespace navora::test
