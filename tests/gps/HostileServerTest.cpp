// Servers that are broken or hostile: whatever they send, the link neither
// crashes nor hangs; it goes on, or reopens as after any socket error.
#include "gps/ControllerHarness.h"
#include "gps/LinkTestSupport.h"
#include "gps/ScriptedServer.h"
#include "support/Eventually.h"

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
    std::string invalidJson = greeting;
    for (const char* line : {"{not json}", R"({"class":"TPV","mode":3,"lat":"north","lon":[1]})",
             R"({"class":"DEVICES","devices":[{]})", R"({"class":"DEVICE","path":7,"activated":{"a":1}})",
             R"({"class":"TPV","mode":3,"time":"garbage","lat":52.5,"lon":13.3})", R"(["array"])", "plain text",
             R"({"class":"TPV","mode":99,"lat":1e308,"lon":-1e308,"altMSL":1e999,"time":"9999999-01-01T00:00:00Z"})"})
        invalidJson += std::string(line) + "\r\n";
    std::string manySatellites = greeting + R"({"class":"SKY","satellites":[)";
    for (int i = 0; i < 300; ++i)
        manySatellites += std::string(i ? "," : "") + R"({"PRN":)" + std::to_string(i) + R"(,"ss":1e300,"used":true})";
    manySatellites += "]}\r\n";
    const std::string truncated = greeting + R"({"class":"TPV","mode":3,"lat":52.5,"lo)" + "\r\n"
        + R"({"class":"SKY","satellites":[{"PRN":1,"ss":)" + "\n" + R"({"class":"TPV","mode":3,"lat":5)";
    const std::string megabyte(1 << 20, 'x');

    return {
        {"random bytes", sendsThenListens([](int c) { return randomBytes(64 * 1024, unsigned(c)); }), std::nullopt, {}},
        {"random bytes after a greeting",
            sendsThenListens([](int c) { return greeting + randomBytes(64 * 1024, unsigned(c)); }), Protocol::Json, {}},
        {"a megabyte without a line feed", sendsThenListens([megabyte](int) { return megabyte; }),
            Protocol::SingleLetter, {"Ignoring gpsd reply longer than 10240 bytes"}},
        {"a megabyte without a line feed after a greeting",
            sendsThenListens([megabyte](int) { return greeting + megabyte; }), std::nullopt,
            {"gps: socket error", "Attempting to reopen gpsd connection..."}},
        {"invalid JSON", sendsThenListens([invalidJson](int) { return invalidJson; }), Protocol::Json,
            {"Ignoring gpsd report that is not JSON: {not json}", "Ignoring gpsd report that is not JSON: plain text",
                "Ignoring gpsd report that is not JSON: {\"class\":\"DEVICES\",\"devices\":[{]}"}},
        {"three hundred satellites", sendsThenListens([manySatellites](int) { return manySatellites; }), Protocol::Json,
            {}},
        {"truncated reports", sendsThenListens([truncated](int) { return truncated; }), Protocol::Json, {}},
        {"unreadable single-letter replies",
            sendsThenListens([](int) { return std::string("GPSD,O=RMC x y z,Y=GSV 1 99999999999:,M=\r\n"); }),
            Protocol::SingleLetter, {"Ignoring unreadable gpsd reply: GPSD,O=RMC x y z,Y=GSV 1 99999999999:,M="}},
        {"accepts and never answers", sendsThenListens([](int) { return std::string(); }), Protocol::SingleLetter, {}},
        {"closes in the middle of a report", sendsThenHangsUp("GPSD,O=RMC 1714564812.700 0.005 52.5", true),
            Protocol::SingleLetter, {"gps: socket error", "Connection re-established"}},
        {"closes in the middle of a JSON report", sendsThenHangsUp(greeting + R"({"class":"TPV","mode":3,"la)", false),
            std::nullopt, {"gps: socket error", "Connection re-established"}},
    };
}

class HostileServer : public testing::TestWithParam<Scenario> { };

TEST_P(HostileServer, TheLinkSurvivesWhateverTheServerSends)
{
    const Scenario& scenario = GetParam();
    LogCapture log;
    ScriptedServer server(scenario.script);
    ControllerHarness harness;
    harness.settings.setString(TRVgpsdServerKey, "127.0.0.1");
    harness.settings.setString(TRVgpsdPortKey, server.portText());
    auto link = fastLink();
    GpsdLink* gpsd = link.get();
    GPSController& controller = harness.make(std::move(link));
    controller.windowDidLoad();
    ASSERT_TRUE(controller.running());
    if (scenario.protocol) {
        EXPECT_EQ(gpsd->protocol(), *scenario.protocol);
    }
    for (const std::string& line : scenario.logged)
        EXPECT_TRUE(eventually([&] { return log.contains(line); }, 5s)) << line;
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

} // namespace
} // namespace navora::test
