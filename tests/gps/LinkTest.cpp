// The link and the GPS thread against scripted servers. A fake gpsd of the
// single-letter protocol: the commands in order, a receiver gone stale,
// reconnection and the attempts after it, a change of server, a server that
// is not there or never answers, stopping and destruction. JSON servers that
// are slow to greet or refuse a command. And servers that are broken or
// hostile: whatever they send, the link neither crashes nor hangs; it goes
// on, or reopens as after any socket error.
#include "gps/ControllerHarness.h"
#include "gps/ScriptedServer.h"
#include "support/Eventually.h"

#include "core/NotificationNames.h"
#include "core/SettingsKeys.h"
#include "nav/DisplayFields.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>

namespace navora::test {
namespace {

using namespace std::chrono_literals;
using Script = ScriptedServer::Script;
using Protocol = GpsdLink::Protocol;
using Strings = std::vector<std::string>;

class Link : public testing::Test {
protected:
    GPSController& start(const std::string& port, GPSTimings timings = ControllerHarness::fastTimings())
    {
        harness.settings.setString(TRVgpsdServerKey, "127.0.0.1");
        harness.settings.setString(TRVgpsdPortKey, port);
        auto link = fastLink();
        gpsd = link.get();
        GPSController& controller = harness.make(std::move(link), timings);
        controller.windowDidLoad();
        return controller;
    }

    static std::string connecting(int port)
    {
        return "Connecting to gpsd server 127.0.0.1, port " + std::to_string(port) + "...";
    }

    LogCapture log;
    ControllerHarness harness;
    GpsdLink* gpsd = nullptr;
};

class SingleLetterLink : public Link { };
class JsonServer : public Link { };

TEST_F(SingleLetterLink, StartSendsTheCommandsInOrderAndReportsReachTheDisplay)
{
    harness.settings.setInteger(TRVProtocolKey, 1);
    ScriptedServer server(ScriptedServer::singleLetterServer());
    GPSController& controller = start(server.portText());
    EXPECT_TRUE(controller.running());
    ASSERT_TRUE(eventually([&] { return controller.connected(); }));
    EXPECT_EQ(log.lines(), (Strings{connecting(server.port()), "Connected to gpsd."}));
    EXPECT_EQ(gpsd->protocol(), GpsdLink::Protocol::SingleLetter);

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
    start(server.portText());
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
    GPSController& controller = start(server->portText());
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
    GPSTimings timings = ControllerHarness::fastTimings();
    timings.retryFirst = 30s;
    timings.retryMax = 60s;
    start(std::to_string(port), timings);
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
    Strings lines
        = linesFrom(log.lines(), "Change of server received - closing gpsd connection (should reopen automatically)");
    lines.resize(std::min<size_t>(lines.size(), 5));
    EXPECT_EQ(lines,
        (Strings{"Change of server received - closing gpsd connection (should reopen automatically)",
            "gps: socket error: closed for the change of server", "Attempting to reopen gpsd connection...",
            connecting(other.port()), "Connection re-established"}));
}

// The connect runs on the GPS thread: the window's thread never waits.
TEST_F(SingleLetterLink, ABlackHoledServerIsGivenUpWithinTheConnectBound)
{
    BlackHole hole;
    const auto started = std::chrono::steady_clock::now();
    GPSController& controller = start(std::to_string(hole.port()));
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

const std::string greeting = R"({"class":"VERSION","release":"3.22","rev":"3.22","proto_major":3,"proto_minor":14})"
                             "\r\n";

std::string randomBytes(size_t count, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = static_cast<char>(byte(generator));
    return bytes;
}

// Sends what the function makes, then keeps the connection open, reading,
// until the client or the test is done.
Script sendsThenListens(std::function<std::string(int connection)> make)
{
    return [make](ScriptedServer::Connection& client) {
        if (!client.send(make(client.number())))
            return;
        while (!client.stopping() && !client.closed())
            client.readLine(100ms);
    };
}

// Sends bytes (once asked, if asked is set) and hangs up.
Script sendsThenHangsUp(std::string bytes, bool asked)
{
    return [bytes, asked](ScriptedServer::Connection& client) {
        if (asked && !client.readLine())
            return;
        client.send(bytes);
        client.idle(50ms);
    };
}

struct Scenario {
    const char* name;
    Script script;
    // The protocol taken, where the scenario decides it.
    std::optional<Protocol> protocol;
    // Lines that must have been logged.
    std::vector<std::string> logged;
};

std::vector<Scenario> scenarios()
{
    // Reports no client can read, a sky beyond any receiver's channels,
    // reports cut short, then noise: read on, the first lines logged.
    std::string garbage = greeting;
    for (const char* line : {"{not json}", R"({"class":"TPV","mode":3,"lat":"north","lon":[1]})",
             R"({"class":"DEVICES","devices":[{]})", R"({"class":"DEVICE","path":7,"activated":{"a":1}})",
             R"({"class":"TPV","mode":3,"time":"garbage","lat":52.5,"lon":13.3})", R"(["array"])", "plain text",
             R"({"class":"TPV","mode":99,"lat":1e308,"lon":-1e308,"altMSL":1e999,"time":"9999999-01-01T00:00:00Z"})"})
        garbage += std::string(line) + "\r\n";
    garbage += R"({"class":"SKY","satellites":[)";
    for (int i = 0; i < 300; ++i)
        garbage += std::string(i ? "," : "") + R"({"PRN":)" + std::to_string(i) + R"(,"ss":1e300,"used":true})";
    garbage += "]}\r\n" + std::string(R"({"class":"TPV","mode":3,"lat":52.5,"lo)") + "\r\n"
        + R"({"class":"SKY","satellites":[{"PRN":1,"ss":)" + "\n" + R"({"class":"TPV","mode":3,"lat":5)";
    const std::string megabyte(1 << 20, 'x');

    return {
        {"random bytes", sendsThenListens([](int c) { return randomBytes(64 * 1024, unsigned(c)); }), std::nullopt, {}},
        {"a megabyte without a line feed", sendsThenListens([megabyte](int) { return megabyte; }),
            Protocol::SingleLetter, {"Ignoring gpsd reply longer than 10240 bytes"}},
        {"a megabyte without a line feed after a greeting",
            sendsThenListens([megabyte](int) { return greeting + megabyte; }), std::nullopt,
            {"gps: socket error: line longer than 8192 bytes", "Attempting to reopen gpsd connection..."}},
        {"invalid JSON, then random bytes",
            sendsThenListens([garbage](int c) { return garbage + randomBytes(64 * 1024, unsigned(c)); }),
            Protocol::Json,
            // The first three of the flood; the rest counted (LogThrottle).
            {"Ignoring gpsd report that is not JSON: {not json}",
                "Ignoring gpsd report that is not JSON: {\"class\":\"DEVICES\",\"devices\":[{]}",
                "Ignoring gpsd report that is not JSON: [\"array\"]"}},
        {"unreadable single-letter replies",
            sendsThenListens([](int) { return std::string("GPSD,O=RMC x y z,Y=GSV 1 99999999999:,M=\r\n"); }),
            Protocol::SingleLetter, {"Ignoring unreadable gpsd reply: GPSD,O=RMC x y z,Y=GSV 1 99999999999:,M="}},
        {"closes in the middle of a report", sendsThenHangsUp("GPSD,O=RMC 1714564812.700 0.005 52.5", true),
            Protocol::SingleLetter,
            {"gps: socket error: the server closed the connection", "Connection re-established"}},
        {"closes in the middle of a JSON report", sendsThenHangsUp(greeting + R"({"class":"TPV","mode":3,"la)", false),
            std::nullopt, {"Connection re-established"}},
    };
}

class HostileServer : public Link, public testing::WithParamInterface<Scenario> { };

TEST_P(HostileServer, TheLinkSurvivesWhateverTheServerSends)
{
    const Scenario& scenario = GetParam();
    ScriptedServer server(scenario.script);
    GPSController& controller = start(server.portText());
    ASSERT_TRUE(controller.running());
    if (scenario.protocol) {
        EXPECT_TRUE(eventually([&] { return gpsd->protocol() == *scenario.protocol; }, 5s));
    }
    for (const std::string& line : scenario.logged)
        EXPECT_TRUE(eventually([&] { return log.contains(line); }, 5s)) << line << "\n"
                                                                        << testing::PrintToString(log.lines());
    // Let the thread chew on it for a moment, through a quiet interval.
    std::this_thread::sleep_for(600ms);
    controller.stopAll();
    EXPECT_TRUE(eventually([&] { return log.contains("exiting GPS thread") || !controller.running(); }));
    harness.destroy();
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, HostileServer, testing::ValuesIn(scenarios()), [](const testing::TestParamInfo<Scenario>& scenario) {
        std::string name;
        for (const char c : std::string(scenario.param.name))
            name.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
        return name;
    });

// A freshly started gpsd may greet after the link has stopped waiting: the
// greeting, whenever it comes, moves the connection to JSON.
TEST_F(JsonServer, AGreetingAfterTwoSecondsIsReadAsJson)
{
    const std::string fix = R"({"class":"TPV","device":"/dev/pts/1","mode":3,"time":"2024-05-01T12:00:00.000Z",)"
                            R"("lat":52.5,"lon":13.25,"altMSL":10.0})"
                            "\r\n";
    ScriptedServer server([fix](ScriptedServer::Connection& client) {
        if (client.number() == 1 && !client.idle(2s))
            return;
        client.send(greeting);
        while (!client.stopping() && !client.closed()) {
            const auto line = client.readLine(100ms);
            if (line && line->rfind("?WATCH=", 0) == 0)
                client.send(fix);
        }
    });
    GPSController& controller = start(server.portText());
    ASSERT_TRUE(eventually([&] { return gpsd->protocol() == Protocol::SingleLetter; }, 2s));
    ASSERT_TRUE(eventually([&] { return controller.currentPos() != nullptr; }, 10s))
        << testing::PrintToString(log.lines());
    EXPECT_EQ(gpsd->protocol(), Protocol::Json);
    EXPECT_DOUBLE_EQ(controller.lat(), 52.5);
    EXPECT_DOUBLE_EQ(controller.lon(), 13.25);
    EXPECT_EQ(server.linesOf(1).front(), "omyx\n") << "taken for single-letter at first";
    EXPECT_EQ(server.linesOf(2).front(), "?WATCH={\"enable\":true,\"json\":true};\n");
    EXPECT_EQ(log.count("gpsd greeted late in JSON - moving the connection to gpsd's JSON protocol"), 1u);
    for (const std::string& line : log.lines())
        EXPECT_EQ(line.find("Ignoring unreadable gpsd reply"), std::string::npos) << line;
}

// As gpsd does: the device is listed at once, its driver only once its
// first packets have told its type, and a mode for a device of unknown type
// is refused. The driver mode goes to the device by its path once its driver
// is known; gpsd's refusal is one log line.
TEST_F(JsonServer, TheDriverModeGoesToTheDeviceOnceItsTypeIsKnownAndARefusalIsLogged)
{
    harness.settings.setInteger(TRVProtocolKey, 1);
    ScriptedServer server([](ScriptedServer::Connection& client) {
        client.send(greeting);
        bool typed = false;
        auto typedAt = std::chrono::steady_clock::time_point::max();
        while (!client.stopping() && !client.closed()) {
            const auto line = client.readLine(50ms);
            if (!typed && std::chrono::steady_clock::now() >= typedAt) {
                typed = true;
                client.send(R"({"class":"DEVICE","path":"/dev/pts/7","driver":"NMEA0183",)"
                            R"("activated":"2024-05-01T12:00:00.000Z","native":0})"
                            "\r\n");
            }
            if (line && line->rfind("?WATCH=", 0) == 0) {
                client.send(R"({"class":"DEVICES","devices":[{"class":"DEVICE","path":"/dev/pts/7",)"
                            R"("activated":"2024-05-01T12:00:00.000Z"}]})"
                            "\r\n");
                typedAt = std::chrono::steady_clock::now() + 300ms;
            } else if (line && line->rfind("?DEVICE=", 0) == 0) {
                client.send(typed ? R"({"class":"ERROR","message":"Mode switching is not available."})"
                                    "\r\n"
                                  : R"({"class":"ERROR","message":"Type of /dev/pts/7 is unknown."})"
                                    "\r\n");
            }
        }
    });
    start(server.portText());
    const std::string refused = "gpsd reported an error: Mode switching is not available.";
    ASSERT_TRUE(eventually([&] { return log.contains(refused); }, 5s)) << testing::PrintToString(log.lines());
    // The first connection only heard the greeting; libgps makes the second.
    const Strings lines = server.linesOf(2);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(Strings(lines.begin(), lines.begin() + 3),
        (Strings{"?POLL;?DEVICES;\n", "?WATCH={\"enable\":true,\"json\":true};\n",
            "?DEVICE={\"native\":1,\"path\":\"/dev/pts/7\"};\n"}));
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(log.count(refused), 1u) << "sent once per device";
    EXPECT_FALSE(log.contains("gpsd reported an error: Type of /dev/pts/7 is unknown."));
}

} // namespace
} // namespace navora::test
