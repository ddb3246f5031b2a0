// Reading gpsd's replies: single-letter replies, line splitting, the JSON
// commands and the device reports that say whether the receiver is on line;
// and the link's state as the window says it.
#include "gps/GpsdDeviceList.h"
#include "gps/JsonDialect.h"
#include "gps/LetterReply.h"
#include "gps/LineBuffer.h"
#include "gps/LinkStatus.h"
#include "gps/LogThrottle.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

namespace navora::test {
namespace {

TEST(LetterReply, ReadsFixModeSatellitesAndOnlineState)
{
    GPSRecord r;
    ASSERT_TRUE(LetterReply::apply("GPSD,O=RMC 1714564812.700 0.005 52.500000 -13.300000 120.50 17.10 27.60 "
                                   "45.0000 5.144 0.100 ? ? ? 3,M=3,Y=GSV 1714564812.700 3:1 40 83 46 1:"
                                   "2 17 308 41 0:3 7 344 39 1:,X=1714564812.700",
        r));
    EXPECT_EQ(r.fix.mode, 3);
    const std::pair<double, double> read[]
        = {{r.fix.time, 1714564812.7}, {r.fix.latitude, 52.5}, {r.fix.longitude, -13.3}, {r.fix.altitude, 120.5},
            {r.fix.eph, 17.1}, {r.fix.epv, 27.6}, {r.fix.track, 45.0}, {r.fix.speed, 5.144}, {r.fix.climb, 0.1}};
    for (const auto& [value, expected] : read)
        EXPECT_DOUBLE_EQ(value, expected) << expected;
    EXPECT_EQ(r.satellites, 3);
    EXPECT_EQ(std::tuple(r.channels[1].prn, r.channels[1].ss, r.channels[1].used, r.channels[2].used),
        std::tuple(2, 41, 0, 1));
    EXPECT_DOUBLE_EQ(r.online, 1714564812.7);

    // Twenty satellites: the record keeps the first it has channels for.
    std::string many = "GPSD,Y=GSV 1.0 20:";
    for (int prn = 1; prn <= 20; ++prn)
        many += std::to_string(prn) + " 10 20 30 1:";
    LetterReply::apply(many, r);
    EXPECT_EQ(r.satellites, GPSRecord::channelCount);
    EXPECT_EQ(r.channels[13].prn, 14);
}

TEST(LetterReply, TakesUnknownsAndRejectsWhatItCannotRead)
{
    struct Row {
        const char* line;
        bool readable;
        int mode;
        bool hasPosition;
        int satellites;
        double online;
    };
    const double kept = 5.0;
    const Row rows[] = {
        {"GPSD,O=?", true, 1, false, 2, kept},
        {"GPSD,M=?", true, 0, true, 2, kept},
        {"GPSD,M=2", true, 2, true, 2, kept},
        {"GPSD,X=0", true, 3, true, 2, 0.0},
        {"GPSD,Y=?", true, 3, true, 0, kept},
        {"GPSD,W=1,N=0", true, 3, true, 2, kept},
        // Fourteen fields: no mode, the mode stays.
        {"GPSD,O=GGA 1.0 ? 1.5 2.5 ? ? ? ? ? ? ? ? ?", true, 3, true, 2, kept},
        {"GPSD,O=RMC 1.0 0.1 a b", false, 3, true, 2, kept},
        {"GPSD,M=three", false, 3, true, 2, kept},
        {"GPSD,X=soon", false, 3, true, 2, kept},
        {"GPSD,Y=GSV 1.0 2:1 40 83 46 1:", false, 3, true, 1, kept},
        {"GPSD,Y=GSV 1.0 -4:", false, 3, true, 2, kept},
        {"GPSD,garbage", false, 3, true, 2, kept},
        {"\x01\xff random", false, 3, true, 2, kept},
        {"", false, 3, true, 2, kept},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        GPSRecord r;
        r.fix.mode = 3;
        r.fix.latitude = 1.0;
        r.satellites = 2;
        r.online = kept;
        EXPECT_EQ(LetterReply::apply(row.line, r), row.readable);
        EXPECT_EQ(r.fix.mode, row.mode);
        EXPECT_EQ(!std::isnan(r.fix.latitude), row.hasPosition);
        EXPECT_EQ(r.satellites, row.satellites);
        EXPECT_EQ(r.online, row.online);
    }
}

// A flood of bad lines: three an interval reach the log, the rest are
// counted and the count is written with the next line that gets through.
TEST(LogThrottle, AFloodIsCutToAFewLinesWithACount)
{
    using namespace std::chrono_literals;
    LogCapture log;
    LogThrottle throttle(5s, 3);
    const LogThrottle::Clock::time_point start{};
    for (int i = 0; i < 1000; ++i)
        throttle.line("bad " + std::to_string(i), start + i * 10ms); // 10 s of lines
    EXPECT_EQ(log.lines(),
        (std::vector<std::string>{
            "bad 0", "bad 1", "bad 2", "bad 500", "(497 more like it left out of the log)", "bad 501", "bad 502"}));
}

TEST(LineBuffer, SplitsLinesAcrossChunksAndDropsOverlongOnes)
{
    struct Row {
        const char* name;
        std::vector<std::string> chunks;
        std::vector<std::string> lines;
        size_t dropped;
    };
    const std::string longLine(11, 'x');
    const std::string fitting(10, 'y');
    const Row rows[] = {
        {"CR LF and LF", {"a\r\nb\n"}, {"a", "b"}, 0},
        {"a line in pieces", {"ab", "c\r", "\nd"}, {"abc"}, 0},
        {"empty lines", {"\r\n\n"}, {"", ""}, 0},
        {"a line at the limit, with CR", {fitting + "\r\n"}, {fitting}, 0},
        {"over the limit", {longLine + "\nnext\n"}, {"next"}, 1},
        {"over the limit in pieces", {"xxxxxx", "xxxxxx", "xxx\nok\n"}, {"ok"}, 1},
        {"no line feed ever", {longLine, longLine, longLine}, {}, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LineBuffer buffer(10);
        std::vector<std::string> lines;
        size_t dropped = 0;
        for (const std::string& chunk : row.chunks)
            dropped += buffer.append(chunk, [&](std::string_view line) { lines.emplace_back(line); });
        EXPECT_EQ(lines, row.lines);
        EXPECT_EQ(dropped, row.dropped);
        EXPECT_LE(buffer.buffered(), 11u);
    }
}

TEST(JsonDialect, SendsTheJsonEquivalentOfEachCommand)
{
    EXPECT_EQ(JsonDialect::translate("omyx\n"), "?POLL;?DEVICES;\n");
    // The driver mode goes to a listed device by its path.
    EXPECT_EQ(JsonDialect::translate("N=1\n"), "");
    EXPECT_EQ(JsonDialect::driverModeCommand("/dev/pts/3", 1), "?DEVICE={\"native\":1,\"path\":\"/dev/pts/3\"};\n");
    EXPECT_EQ(JsonDialect::translate("w+x\n"), "?WATCH={\"enable\":true,\"json\":true};\n");
    EXPECT_EQ(JsonDialect::translate("X\n"), "?DEVICES;\n");
    for (const char* unknown : {"N=x\n", "N=\n", "p\n", "omyx", ""})
        EXPECT_EQ(JsonDialect::translate(unknown), "") << unknown;
}

TEST(GpsdDeviceList, FollowsTheDeviceReports)
{
    using State = GpsdDeviceList::State;
    struct Row {
        const char* line;
        bool read;
        State state;
    };
    // One session, in order.
    const Row rows[] = {
        {R"({"class":"VERSION","release":"3.22"})", false, State::Unknown},
        {R"({"class":"DEVICES","devices":[{"class":"DEVICE","path":"/dev/pts/3"}]})", true, State::Inactive},
        {R"({"class":"DEVICES","devices":[{"class":"DEVICE","path":"/dev/pts/3","activated":"2024-05-01T12:00:00.000Z"}]})",
            true, State::Active},
        {R"({"class":"DEVICE","path":"/dev/pts/4","activated":"2024-05-01T12:00:01.000Z"})", true, State::Active},
        {R"({"class":"DEVICE","path":"/dev/pts/3","activated":0})", true, State::Active},
        {R"({"class":"DEVICE","path":"/dev/pts/4","activated":0})", true, State::Inactive},
        {R"({"class":"DEVICE","path":"/dev/pts/4","activated":)", false, State::Inactive},
        {R"({"class":"DEVICES","devices":"none"})", false, State::Inactive},
        {R"({"class":"DEVICES","devices":[{"class":"DEVICE","path":"/dev/pts/3","activated":"2024"}]})", true,
            State::Active},
        {R"({"class":"DEVICES","devices":[]})", true, State::Inactive},
    };
    GpsdDeviceList devices;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(devices.read(row.line), row.read);
        EXPECT_EQ(devices.state(), row.state);
    }
    devices.sawDataFrom("/dev/ttyUSB0");
    EXPECT_EQ(devices.state(), State::Active);
    // Data from ever new paths: a bounded number is believed.
    for (int i = 0; i < 1000; ++i)
        devices.sawDataFrom("/dev/fake" + std::to_string(i));
    EXPECT_LE(devices.activeCount(), 64u);
}

// What a connected link shows follows from what gpsd has said: its device
// list first, then the receiver's on-line state, then the fix mode.
TEST(LinkStatus, AConnectedLinkSaysWhatTheServerAndReceiverAreDoing)
{
    using Stage = LinkStatus::Stage;
    const double unknown = GPSRecord::unknown;
    struct Row {
        int receivers;
        double online;
        int mode;
        Stage stage;
        const char* text;
    };
    const Row rows[] = {
        {-1, unknown, 0, Stage::Connected, "Connected to gpsd at host:2947."},
        {0, unknown, 0, Stage::NoReceiver, "Connected to gpsd at host:2947, which has no receiver."},
        {0, 0.0, 3, Stage::NoReceiver, "Connected to gpsd at host:2947, which has no receiver."},
        {1, 0.0, 3, Stage::ReceiverOffline, "The receiver is off line."},
        {1, 1714564800.0, 1, Stage::NoFix, "The receiver is on line, without a fix."},
        {-1, unknown, 2, Stage::Fix, "Receiving fixes from gpsd at host:2947."},
        {2, 1714564800.0, 3, Stage::Fix, "Receiving fixes from gpsd at host:2947."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const Stage stage = LinkStatus::connectedStage(row.receivers, row.online, row.mode);
        EXPECT_EQ(stage, row.stage);
        EXPECT_EQ((LinkStatus{stage, "host:2947", {}, {}}.text()), row.text);
    }
    using std::chrono::milliseconds;
    const std::pair<milliseconds, const char*> waits[] = {{milliseconds(200), "0.2 s"}, {milliseconds(5000), "5 s"},
        {milliseconds(40000), "40 s"}, {milliseconds(60000), "1 min"}, {milliseconds(1500), "1.5 s"}};
    for (const auto& [wait, text] : waits)
        EXPECT_EQ(LinkStatus::duration(wait), text);
}

} // namespace
} // namespace navora::test
