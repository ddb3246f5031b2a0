// The desktop program's command line: options shared with the headless
// mode, the settings laid over the user's for one run, and the snapshots
// that SIGUSR1 writes.
#include "app/AlertLogger.h"
#include "app/CommandOptions.h"
#include "app/OverrideSettingsStore.h"
#include "app/ShownWatcher.h"
#include "app/SnapshotWriter.h"
#include "core/MemorySettingsStore.h"
#include "support/LogCapture.h"
#include "support/QtApplication.h"
#include "support/RecordingAlertDispatcher.h"
#include "support/ScratchDirectory.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPaintEvent>

#include <gtest/gtest.h>

#include <sstream>

namespace navora::test {
namespace {

using Mode = CommandOptions::Mode;

// What was read, as "name=value " for each option given.
std::string summary(const CommandOptions& o)
{
    std::ostringstream text;
    const auto put = [&text](const char* name, const auto& value) {
        if (value)
            text << name << '=' << *value << ' ';
    };
    text << (o.help ? "help " : "");
    put("server", o.server);
    put("port", o.port);
    put("navigate", o.navigate);
    put("index", o.index);
    text << (o.join ? "join " : "");
    put("waypoint", o.waypoint);
    put("units", o.units);
    put("track", o.track);
    put("snapshots", o.snapshots);
    text << (o.quitWhenShown ? "quitWhenShown " : "");
    for (const std::string& file : o.files)
        text << "file=" << file << ' ';
    return text.str();
}

TEST(CommandOptions, ReadsWhatEachModeTakes)
{
    struct Row {
        const char* name;
        Mode mode;
        std::vector<std::string> arguments;
        bool accepted;
        std::string expected; // what was read, summarised
    };
    const Row rows[] = {
        {"nothing", Mode::Desktop, {}, true, ""},
        {"files", Mode::Desktop, {"a.nvw", "b.nvr"}, true, "file=a.nvw file=b.nvr "},
        {"server and port", Mode::Desktop, {"--server", "127.0.0.1", "--port", "2948", "x.nvr"}, true,
            "server=127.0.0.1 port=2948 file=x.nvr "},
        {"navigate by index", Mode::Desktop, {"--navigate", "r.nvr", "--index", "2"}, true, "navigate=r.nvr index=2 "},
        {"navigate joining", Mode::Desktop, {"--join", "--navigate", "r.nvr"}, true, "navigate=r.nvr join "},
        {"navigate a list", Mode::Desktop, {"--navigate", "l.nvw", "--waypoint", "Quay 3"}, true,
            "navigate=l.nvw waypoint=Quay 3 "},
        {"snapshots", Mode::Desktop, {"--snapshots", "/tmp/s"}, true, "snapshots=/tmp/s "},
        {"files after --", Mode::Desktop, {"--", "--odd.nvw"}, true, "file=--odd.nvw "},
        {"help", Mode::Desktop, {"-h"}, true, "help "},
        {"units headless", Mode::Headless, {"--units", "m"}, true, "units=m "},
        {"units desktop", Mode::Desktop, {"--units", "m"}, false, ""},
        {"track headless", Mode::Headless, {"--track", "t.gpx"}, true, "track=t.gpx "},
        {"track desktop", Mode::Desktop, {"--track", "t.gpx"}, false, ""},
        {"empty track", Mode::Headless, {"--track", ""}, false, ""},
        {"snapshots headless", Mode::Headless, {"--snapshots", "d"}, false, ""},
        {"quit when shown", Mode::Desktop, {"a.nvw", "--quit-when-shown"}, true, "quitWhenShown file=a.nvw "},
        {"quit when shown headless", Mode::Headless, {"--quit-when-shown"}, false, ""},
        {"files headless", Mode::Headless, {"a.nvw"}, false, ""},
        {"unknown option", Mode::Desktop, {"--frobnicate"}, false, ""},
        {"missing value", Mode::Desktop, {"--server"}, false, ""},
        {"empty server", Mode::Desktop, {"--server", ""}, false, ""},
        {"long port", Mode::Desktop, {"--port", "123456"}, false, ""},
        {"port out of range", Mode::Desktop, {"--port", "65536"}, false, ""},
        {"port zero", Mode::Desktop, {"--port", "0"}, false, ""},
        {"port words", Mode::Headless, {"--port", "gpsd"}, false, ""},
        {"port signed", Mode::Desktop, {"--port", "-2947"}, false, ""},
        {"highest port", Mode::Headless, {"--port", "65535"}, true, "port=65535 "},
        {"empty snapshots", Mode::Desktop, {"--snapshots", ""}, false, ""},
        {"bad units", Mode::Headless, {"--units", "x"}, false, ""},
        {"choice alone", Mode::Desktop, {"--index", "1"}, false, ""},
        {"navigate alone", Mode::Desktop, {"--navigate", "r.nvr"}, false, ""},
        {"empty navigate", Mode::Desktop, {"--navigate", ""}, false, ""},
        {"two choices", Mode::Desktop, {"--navigate", "r.nvr", "--join", "--index", "1"}, false, ""},
        {"negative index", Mode::Desktop, {"--navigate", "r.nvr", "--index", "-1"}, false, ""},
        {"index with text", Mode::Desktop, {"--navigate", "r.nvr", "--index", "2x"}, false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string error;
        const std::optional<CommandOptions> options = CommandOptions::parse(row.arguments, row.mode, error);
        ASSERT_EQ(options.has_value(), row.accepted) << error;
        if (options)
            EXPECT_EQ(summary(*options), row.expected);
        else
            EXPECT_FALSE(error.empty());
    }
}

TEST(OverrideSettingsStore, ServesTheRunsValuesWithoutWritingThem)
{
    MemorySettingsStore user;
    user.setValue("TRVgpsdServerKey", QString("gps.example"));
    user.setValue("TRVUnitsKey", 'm');
    OverrideSettingsStore store(user);
    store.override("TRVgpsdServerKey", QString("127.0.0.1"));
    store.override("TRVgpsdPortKey", QString("2948"));

    EXPECT_EQ(store.value("TRVgpsdServerKey").toString(), "127.0.0.1");
    EXPECT_EQ(store.value("TRVgpsdPortKey").toString(), "2948");
    EXPECT_EQ(store.value("TRVUnitsKey").toInt(), 'm');
    EXPECT_TRUE(store.contains("TRVgpsdPortKey"));
    EXPECT_FALSE(user.contains("TRVgpsdPortKey"));
    EXPECT_EQ(user.value("TRVgpsdServerKey").toString(), "gps.example");
    std::vector<std::string> keys = store.keys();
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<std::string>{"TRVUnitsKey", "TRVgpsdPortKey", "TRVgpsdServerKey"}));

    // The preferences store server and port together: the run's own value
    // handed back is not written.
    store.setValue("TRVgpsdPortKey", QString("2948"));
    EXPECT_FALSE(user.contains("TRVgpsdPortKey"));
    EXPECT_EQ(store.value("TRVgpsdPortKey").toString(), "2948");

    // The user's own choice is stored and wins from then on.
    store.setValue("TRVgpsdServerKey", QString("other.example"));
    EXPECT_EQ(user.value("TRVgpsdServerKey").toString(), "other.example");
    EXPECT_EQ(store.value("TRVgpsdServerKey").toString(), "other.example");
    EXPECT_EQ(store.value("TRVgpsdPortKey").toString(), "2948");
}

// A window that counts its paintings.
class PaintCounter : public QWidget {
public:
    int paintings = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paintings; }
};

// Told once, when every window still shown has painted; a window hidden or
// deleted before its exposure is not waited for.
TEST(ShownWatcher, TellsOnceWhenEveryShownWindowHasPainted)
{
    ensureWidgetApplication();
    PaintCounter first;
    PaintCounter second;
    PaintCounter hidden;
    auto* deleted = new PaintCounter;
    first.setWindowTitle("First");
    second.setWindowTitle("Second");
    for (QWidget* window : std::initializer_list<QWidget*>{&first, &second, &hidden, deleted})
        window->show();
    std::vector<QStringList> told;
    bool painted = false;
    ShownWatcher watcher({&second, &hidden, &first, deleted}, [&](const QStringList& titles) {
        told.push_back(titles);
        painted = first.paintings > 0 && second.paintings > 0;
    });
    hidden.hide();
    delete deleted;
    ASSERT_TRUE(processEventsUntil([&] { return !told.empty(); }));
    EXPECT_EQ(told[0], (QStringList{"Second", "First"}));
    EXPECT_TRUE(painted);

    first.hide();
    first.show();
    processEventsFor(100);
    EXPECT_EQ(told.size(), 1u);
}

// Every shown window as a picture, numbered by snapshot; the fields beside.
// A folder that cannot be made is said.
TEST(SnapshotWriter, WritesEveryShownWindowAndTheFieldsOrSaysWhyNot)
{
    ensureWidgetApplication();
    ScratchDirectory scratch;
    QLabel windows[3];
    for (QLabel& window : windows)
        window.setObjectName(&window == &windows[2] ? "hiddenWindow" : "probeWindow");
    windows[0].show();
    windows[1].show();
    const QString folder = QString::fromStdString((scratch.path() / "shots").string());
    SnapshotWriter writer(folder, [] {
        return std::map<std::string, std::string>{{"fixLatitude", "52.500000"}, {"fixBox.title", "3D fix"}};
    });
    LogCapture log;
    ASSERT_TRUE(writer.write());
    ASSERT_TRUE(writer.write());
    EXPECT_TRUE(log.contains("Snapshot 001 written"));
    EXPECT_TRUE(log.contains("Snapshot 002 written"));
    for (const char* name : {"001-probeWindow.png", "001-probeWindow-2.png", "002-probeWindow.png"})
        EXPECT_FALSE(QImage(folder + '/' + name).isNull()) << name;
    EXPECT_FALSE(QFile::exists(folder + "/001-hiddenWindow.png"));
    QFile fields(folder + "/002-fields.json");
    ASSERT_TRUE(fields.open(QIODevice::ReadOnly));
    const QJsonObject object = QJsonDocument::fromJson(fields.readAll()).object();
    EXPECT_EQ(object.value("fixLatitude").toString(), "52.500000");
    EXPECT_EQ(object.value("fixBox.title").toString(), "3D fix");

    log.clear();
    SnapshotWriter blocked(QString::fromStdString(scratch.write("file", "")) + "/inside", {});
    EXPECT_FALSE(blocked.write());
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("Snapshot 001 not written"), std::string::npos);
}

TEST(AlertLogger, LogsEveryAlertKeyAndPassesItOn)
{
    auto alerts = std::make_shared<RecordingAlertDispatcher>();
    AlertLogger logger(alerts);
    LogCapture log;
    logger.alertAllForKey("GPSOffline");
    logger.alertAllForKey("WaypointPassage", "Passing W1", "W1");
    logger.approachingBeep();
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"Alert: GPSOffline", "Alert: WaypointPassage"}));
    EXPECT_EQ(alerts->keys(), (std::vector<std::string>{"GPSOffline", "WaypointPassage"}));
}

} // namespace
} // namespace navora::test
