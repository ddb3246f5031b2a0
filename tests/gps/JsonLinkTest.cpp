// The link against a scripted server of gpsd's JSON protocol: the commands
// it is sent, reports split across reads, and the device reports that say
// whether the receiver is on line.
#include "gps/ControllerHarness.h"
#include "gps/LinkTestSupport.h"
#include "gps/ScriptedServer.h"
#include "support/Eventually.h"

#include "core/SettingsKeys.h"
#include "nav/DisplayFields.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace navora::test {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;
namespace f = navora::fields;

const std::string greeting = R"({"class":"VERSION","release":"3.22","rev":"3.22","proto_major":3,"proto_minor":14})"
                             "\r\n";
const std::string activeDevice
    = R"({"class":"DEVICES","devices":[{"class":"DEVICE","path":"/dev/ttyACM0","activated":"2024-05-01T12:00:00.000Z"}]})"
      "\r\n";
const std::string fix = R"({"class":"TPV","device":"/dev/ttyACM0","mode":3,"time":"2024-05-01T12:00:12.700Z",)"
                        R"("lat":52.5,"lon":13.3,"altHAE":167.4,"altMSL":120.5,"alt":120.5,"eph":17.1,"epv":27.6,)"
                        R"("track":45.0,"speed":5.1,"climb":0.1})"
                        "\r\n";

class JsonLink : public testing::Test {
protected:
    GPSController& start(const ScriptedServer& server)
    {
        harness.settings.setString(TRVgpsdServerKey, "127.0.0.1");
        harness.settings.setString(TRVgpsdPortKey, server.portText());
        GPSController& controller = harness.make(fastLink());
        controller.windowDidLoad();
        return controller;
    }

    // The titles the GPS window's box showed, one per change.
    Strings titles() const
    {
        Strings shown;
        for (const DisplayBatch& batch : harness.display->batches()) {
            for (const DisplayBatch::Write& write : batch.writes()) {
                if (write.kind == DisplayBatch::Kind::BoxTitle && (shown.empty() || shown.back() != write.text))
                    shown.push_back(write.text);
            }
        }
        return shown;
    }

    LogCapture log;
    ControllerHarness harness;
};

TEST_F(JsonLink, EachCommandGoesOutAsItsJsonEquivalent)
{
    ScriptedServer server([](ScriptedServer::Connection& client) {
        client.send(greeting);
        while (client.readLine()) { }
    });
    harness.settings.setInteger(TRVProtocolKey, 1);
    GPSController& controller = start(server);
    ASSERT_TRUE(controller.running());
    // The first connection only looked for the greeting.
    ASSERT_TRUE(eventually([&] { return server.linesOf(2).size() >= 4; }));
    EXPECT_TRUE(server.linesOf(1).empty());
    Strings sent = server.linesOf(2);
    sent.resize(4);
    EXPECT_EQ(sent,
        (Strings{"?POLL;?DEVICES;\n", "?DEVICE={\"native\":1};\n", "?WATCH={\"enable\":true,\"json\":true};\n",
            "?DEVICES;\n"}));
}

TEST_F(JsonLink, AReportSplitAcrossReadsArrivesWhole)
{
    ScriptedServer server([](ScriptedServer::Connection& client) {
        client.send(greeting + activeDevice + fix.substr(0, 60));
        if (client.idle(300ms))
            client.send(fix.substr(60));
        while (client.readLine()) { }
    });
    GPSController& controller = start(server);
    ASSERT_TRUE(eventually([&] { return controller.currentPos() != nullptr; }));
    EXPECT_DOUBLE_EQ(controller.lat(), 52.5);
    EXPECT_DOUBLE_EQ(controller.lon(), 13.3);
    EXPECT_FLOAT_EQ(controller.currentPos()->snapshot().altitude, 120.5f) << "altitude above mean sea level";
    EXPECT_EQ(controller.currentPos()->snapshot().wpComment, "2024-05-01 12:00:12");
    EXPECT_EQ(harness.alerts->keys(), Strings{"GPSModeUp3D"});
}

TEST_F(JsonLink, TheReceiverIsOffLineWhileGpsdHasNoActiveDevice)
{
    ScriptedServer server([](ScriptedServer::Connection& client) {
        if (client.number() == 1) {
            client.send(greeting);
            return;
        }
        const std::string steps[] = {
            greeting + activeDevice + fix,
            // The receiver closed: libgps cannot read this one.
            R"({"class":"DEVICE","path":"/dev/ttyACM0","activated":0})"
            "\r\n",
            R"({"class":"DEVICES","devices":[]})"
            "\r\n",
            // Back, but nothing known of its fix yet.
            activeDevice,
        };
        for (const std::string& step : steps) {
            if (!client.send(step) || !client.idle(150ms))
                return;
        }
        while (client.readLine()) { }
    });
    start(server);
    ASSERT_TRUE(eventually([&] { return titles().size() >= 4 && titles().back() != "GPS OFFLINE"; }));
    const Strings shown = titles();
    // Before the device list, the state is unknown and counts as on line.
    EXPECT_EQ(shown.front(), "No GPS information received...");
    EXPECT_EQ(
        Strings(shown.end() - 3, shown.end()), (Strings{"3D fix", "GPS OFFLINE", "No GPS information received..."}));
    EXPECT_EQ(harness.alerts->keys(), (Strings{"GPSModeUp3D", "GPSOffline"}));
}

} // namespace
} // namespace navora::test
