// The link and the GPS thread against scripted servers: a fake gpsd of the
// single-letter protocol (commands, staleness, reconnection, a change of
// server, no server at all), JSON servers that greet late or refuse a
// command, and hostile servers whose bytes the link survives.
#include "gps/ControllerHarness.h"
#include "gps/ScriptedServer.h"
#include "support/Eventually.h"

#include "core/NotificationNames.h"
#include "core/SettingsKeys.h"
#include "nav/DisplayFields.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>

namespace navora::test {
namespace {

using namespace std::chrono_literals;
using Script = ScriptedServer::Script;
using Protocol = GpsdLink::Protocol;
using Strings = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

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
    static std::string unable(int port, const char* why)
    {
        return "Unable to open gpsd connection to 127.0.0.1:" + std::to_string(port) + " (" + why
            + ") - trying again in ";
    }
    std::string linkState() const { return harness.display->state().text(fields::linkState).value_or("(none)"); }
    std::string fixTitle() const { return harness.display->state().title(fields::fixBox).value_or("(none)"); }

    LogCapture log;
    ControllerHarness harness;
    GpsdLink* gpsd = nullptr;
};

using SingleLetterLink = Link;
using JsonServer = Link;

// A hang-up is reopened with the watch command only; a server gone for good
// is tried at growing intervals until the controller stops.
TEST_F(SingleLetterLink, AHangUpIsReopenedAndALostServerTriedAtGrowingIntervalsUntilStopped)
{
    auto server = std::make_unique<ScriptedServer>([](ScriptedServer::Connection& client) {
        for (int i = 0; const auto line = client.readLine(); ++i) {
            client.send(ScriptedServer::fixReply());
            if (client.number() == 1 && i == 2) {
                client.send("GPSD,O=RMC 1714564812.700 0.005 52.5"); // hang up in the middle of a report
                return;
            }
        }
    });
    const int port = server->port();
    GPSController& controller = start(server->portText());
    ASSERT_TRUE(eventually([&] { return log.contains("Connection re-established"); }));
    const std::string closed = "gps: socket error: the server closed the connection";
    EXPECT_EQ(linesFrom(log.lines(), closed),
        (Strings{closed, "Attempting to reopen gpsd connection...", connecting(port), "Connection re-established"}));
    ASSERT_TRUE(eventually([&] { return server->linesOf(2).size() >= 2; }));
    EXPECT_EQ(server->linesOf(1), (Strings{"omyx\n", "N=0\n", "w+x\n"}));
    EXPECT_EQ(server->linesOf(2), (Strings{"w+x\n", "X\n"}));

    log.clear();
    server.reset(); // hangs up and stops listening
    // 0.2 s doubled up to 0.8 s: 0.2 + 0.4 + 0.8 + 0.8 s of waiting.
    const std::string refused = unable(port, "connection refused");
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
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(log.lines().size(), last.size()) << "no attempt after the stop";
    for (const auto window : {fields::window, fields::navDataWindow, fields::miniNavWindow})
        EXPECT_EQ(harness.display->state().visible(window), false) << window;
    harness.destroy();
    EXPECT_EQ(log.count("exiting GPS thread"), 1u);
}

// Nothing listens: the window says so and when it tries again. A change of
// server connects at once; the commands go in order and the reports reach the
// display until the receiver goes stale. Connected, a change of server closes
// and reopens the link; destruction stops the thread first.
TEST_F(SingleLetterLink, FromNoServerThroughAStaleReceiverToAnotherServer)
{
    harness.settings.setInteger(TRVProtocolKey, 1);
    const int port = unusedPort();
    GPSTimings timings = ControllerHarness::fastTimings();
    timings.retryFirst = 30s;
    timings.retryMax = 60s;
    GPSController& controller = start(std::to_string(port), timings);
    EXPECT_TRUE(controller.running());
    const std::string cannot
        = "Cannot connect to gpsd at 127.0.0.1:" + std::to_string(port) + " (connection refused). Next try in 30 s.";
    ASSERT_TRUE(eventually([&] { return linkState() == cannot; })) << linkState();
    EXPECT_EQ(harness.display->state().text(fields::mnLinkState), cannot);
    EXPECT_EQ(log.lines(),
        (Strings{connecting(port), "Unable to open gpsd connection.", unable(port, "connection refused") + "30 s"}));

    ScriptedServer server(ScriptedServer::singleLetterServer());
    harness.settings.setString(TRVgpsdPortKey, server.portText());
    const auto changed = Clock::now();
    harness.center.post(TRVServerPortChanged);
    ASSERT_TRUE(eventually([&] { return controller.connected(); }));
    EXPECT_LT(Clock::now() - changed, 5s);
    EXPECT_EQ(linesFrom(log.lines(), "Change of server received - connecting at once"),
        (Strings{"Change of server received - connecting at once", connecting(server.port()), "Connected to gpsd."}));
    EXPECT_EQ(gpsd->protocol(), Protocol::SingleLetter);
    ASSERT_TRUE(eventually([&] { return server.linesOf(1).size() >= 3; }));
    const auto received = server.received();
    EXPECT_EQ(server.linesOf(1), (Strings{"omyx\n", "N=1\n", "w+x\n"}));
    EXPECT_GE(received[1].when - received[0].when, 90ms) << "a pause between the first two commands";
    ASSERT_TRUE(eventually([&] { return fixTitle() == "3D fix"; }));
    EXPECT_TRUE(eventually([&] { return controller.currentPos() != nullptr; }));
    EXPECT_DOUBLE_EQ(controller.lat(), 52.5);
    // Status replies repeat the fix: the receiver goes off line past the
    // stale bound, checked while the link is quiet.
    ASSERT_TRUE(eventually([&] { return fixTitle() == "GPS OFFLINE"; }, 9s));
    EXPECT_EQ(harness.alerts->keys(), (Strings{"GPSModeUp3D", "GPSOffline"}));
    EXPECT_TRUE(log.contains("GPS receiver off line: no report from the receiver for 5 s")
        || log.contains("GPS receiver off line: no report from the receiver for 6 s"));

    ScriptedServer other(ScriptedServer::singleLetterServer());
    harness.settings.setString(TRVgpsdPortKey, other.portText());
    harness.center.post(TRVServerPortChanged);
    ASSERT_TRUE(eventually([&] { return log.contains("Connection re-established"); }));
    const std::string closing = "Change of server received - closing gpsd connection (should reopen automatically)";
    Strings lines = linesFrom(log.lines(), closing);
    lines.resize(std::min<size_t>(lines.size(), 5));
    EXPECT_EQ(lines,
        (Strings{closing, "gps: socket error: closed for the change of server",
            "Attempting to reopen gpsd connection...", connecting(other.port()), "Connection re-established"}));
    harness.destroy();
    EXPECT_EQ(linesFrom(log.lines(), "GPS Controller shutting down"),
        (Strings{"GPS Controller shutting down", "exiting GPS thread"}));
}

// The connect runs on the GPS thread: the window's thread never waits.
TEST_F(SingleLetterLink, ABlackHoledServerIsGivenUpWithinTheConnectBound)
{
    BlackHole hole;
    const auto started = Clock::now();
    GPSController& controller = start(std::to_string(hole.port()));
    EXPECT_LT(Clock::now() - started, 100ms);
    EXPECT_EQ(linkState(), "Connecting to gpsd at 127.0.0.1:" + std::to_string(hole.port()) + "...");
    ASSERT_TRUE(eventually([&] { return log.contains("Unable to open gpsd connection."); }, 5s));
    const auto took = Clock::now() - started;
    EXPECT_FALSE(controller.connected());
    EXPECT_GE(took, 900ms);
    EXPECT_LT(took, 5s) << "bounded by the connect bound, not by TCP's own minutes";
    EXPECT_TRUE(eventually([&] { return log.contains(unable(hole.port(), "connection timed out") + "0.2 s"); }));
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

// Sends what make gives, then reads until the client or the test is done.
Script sendsThenListens(std::function<std::string(int connection)> make)
{
    return [make](ScriptedServer::Connection& client) {
        if (!client.send(make(client.number())))
            return;
        while (!client.stopping() && !client.closed())
            client.readLine(100ms);
    };
}

// Sends bytes and hangs up.
Script sendsThenHangsUp(std::string bytes)
{
    return [bytes](ScriptedServer::Connection& client) {
        client.send(bytes);
        client.idle(50ms);
    };
}

struct Scenario {
    const char* name;
    Script script;
    std::optional<Protocol> protocol; // where the scenario decides it
    Strings logged;
};

std::vector<Scenario> scenarios()
{
    // Reports no client can read, a sky beyond any receiver's channels,
    // reports cut short, then noise.
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
    const std::string unreadable = "GPSD,O=RMC x y z,Y=GSV 1 99999999999:,M=";

    return {
        {"random bytes", sendsThenListens([](int c) { return randomBytes(64 * 1024, unsigned(c)); }), {}, {}},
        {"a megabyte without a line feed", sendsThenListens([megabyte](int) { return megabyte; }),
            Protocol::SingleLetter, {"Ignoring gpsd reply longer than 10240 bytes"}},
        {"a megabyte without a line feed after a greeting",
            sendsThenListens([megabyte](int) { return greeting + megabyte; }), {},
            {"gps: socket error: line longer than 8192 bytes", "Attempting to reopen gpsd connection..."}},
        // The first three of the flood (the rest are counted).
        {"invalid JSON, then random bytes",
            sendsThenListens([garbage](int c) { return garbage + randomBytes(64 * 1024, unsigned(c)); }),
            Protocol::Json,
            {"Ignoring gpsd report that is not JSON: {not json}",
                "Ignoring gpsd report that is not JSON: {\"class\":\"DEVICES\",\"devices\":[{]}",
                "Ignoring gpsd report that is not JSON: [\"array\"]"}},
        {"unreadable single-letter replies", sendsThenListens([unreadable](int) { return unreadable + "\r\n"; }),
            Protocol::SingleLetter, {"Ignoring unreadable gpsd reply: " + unreadable}},
        {"closes in the middle of a JSON report", sendsThenHangsUp(greeting + R"({"class":"TPV","mode":3,"la)"), {},
            {"Connection re-established"}},
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
}

INSTANTIATE_TEST_SUITE_P(Scenarios, HostileServer, testing::ValuesIn(scenarios()), [](const auto& scenario) {
    std::string name = scenario.param.name;
    std::replace_if(
        name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    return name;
});

// A freshly started gpsd may greet after the link has stopped waiting: the
// greeting, whenever it comes, moves the connection to JSON.
TEST_F(JsonServer, AGreetingAfterTwoSecondsIsReadAsJson)
{
    ScriptedServer server([](ScriptedServer::Connection& client) {
        if (client.number() == 1 && !client.idle(2s))
            return;
        client.send(greeting);
        while (!client.stopping() && !client.closed()) {
            const auto line = client.readLine(100ms);
            if (line && line->rfind("?WATCH=", 0) == 0)
                client.send(R"({"class":"TPV","device":"/dev/pts/1","mode":3,"time":"2024-05-01T12:00:00.000Z",)"
                            R"("lat":52.5,"lon":13.25,"altMSL":10.0})"
                            "\r\n");
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

// As gpsd does: the device is listed at once, its driver known only once its
// first packets have told its type, and a mode for a device of unknown type
// refused. The driver mode goes to the device by its path once its driver is
// known; gpsd's refusal is one log line.
TEST_F(JsonServer, TheDriverModeGoesToTheDeviceOnceItsTypeIsKnownAndARefusalIsLogged)
{
    harness.settings.setInteger(TRVProtocolKey, 1);
    ScriptedServer server([](ScriptedServer::Connection& client) {
        client.send(greeting);
        auto typedAt = Clock::time_point::max();
        for (bool typed = false; !client.stopping() && !client.closed();) {
            const auto line = client.readLine(50ms);
            if (!typed && Clock::now() >= typedAt) {
                typed = true;
                client.send(R"({"class":"DEVICE","path":"/dev/pts/7","driver":"NMEA0183",)"
                            R"("activated":"2024-05-01T12:00:00.000Z","native":0})"
                            "\r\n");
            }
            if (line && line->rfind("?WATCH=", 0) == 0) {
                client.send(R"({"class":"DEVICES","devices":[{"class":"DEVICE","path":"/dev/pts/7",)"
                            R"("activated":"2024-05-01T12:00:00.000Z"}]})"
                            "\r\n");
                typedAt = Clock::now() + 300ms;
            } else if (line && line->rfind("?DEVICE=", 0) == 0) {
                const std::string message
                    = typed ? "Mode switching is not available." : "Type of /dev/pts/7 is unknown.";
                client.send(R"({"class":"ERROR","message":")" + message + "\"}\r\n");
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
