#include "alerts/AlertTable.h"
#include "support/PlistBytes.h"
#include "support/ScratchDirectory.h"

#include <QFile>

#include <gtest/gtest.h>

namespace navora {
namespace {

const QString shippedTablePath = QStringLiteral(NAVORA_SOURCE_DIR "/resources/Alerts.plist");

std::string plistDocument(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body + "\n</plist>\n";
}

std::string readAll(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll().toStdString();
}

std::string binaryFromXml(const std::string& xml)
{
    return test::PlistBytes::binaryFromXml(QByteArray::fromStdString(xml)).toStdString();
}

// The shipped table, compiled in and as a file, has every alert with all six
// fields; its binary form reads the same.
TEST(AlertTableTest, ShippedTableIsCompleteAndReadsAlikeInEveryForm)
{
    const std::string xml = test::fileBytes(shippedTablePath.toStdString());
    EXPECT_EQ(readAll(AlertTable::defaultPath()), xml);
    const AlertTable table = AlertTable::fromFile(shippedTablePath);
    const std::vector<std::string> keys = {"GPSOffline", "GPSOnline", "GPSModeUp2D", "GPSModeUp3D", "GPSModeDown0D",
        "TRVGPSModeDown2D", "WaypointArrival", "CourseReversal", "DestinationArrival", "WaypointPassage"};
    ASSERT_EQ(table.entries().size(), keys.size());
    for (const std::string& key : keys) {
        SCOPED_TRACE(key);
        const AlertEntry* entry = table.entry(key);
        ASSERT_NE(entry, nullptr);
        for (const auto& text : {entry->title, entry->description, entry->notificationName, entry->speech})
            EXPECT_TRUE(text && !text->empty());
        EXPECT_TRUE(entry->sticky.has_value());
        ASSERT_TRUE(entry->priority.has_value());
        EXPECT_TRUE(*entry->priority >= -2 && *entry->priority <= 2);
    }
    const AlertTable fromBinary = AlertTable::fromData(binaryFromXml(xml));
    EXPECT_FALSE(fromBinary.isEmpty());
    EXPECT_EQ(fromBinary.entries(), table.entries());
}

TEST(AlertTableTest, UnusableFilesGiveAnEmptyTable)
{
    const std::string shipped = test::fileBytes(shippedTablePath.toStdString());
    const std::string binary = binaryFromXml(shipped);
    const std::string seeds = NAVORA_SOURCE_DIR "/tests/fuzz/corpus/plist/";
    const std::pair<const char*, std::string> cases[] = {
        {"empty file", ""},
        {"plain text", "GPSOffline = GPS Offline\n"},
        {"cut-off XML", shipped.substr(0, shipped.size() / 2)},
        {"cut-off binary", binary.substr(0, binary.size() / 2)},
        {"binary header only", "bplist00"},
        {"top level is an array", plistDocument("<array><string>GPSOffline</string></array>")},
        {"unclosed dictionary", plistDocument("<dict><key>GPSOffline</key><dict><key>AlertTitle</key>")},
        {"too large", std::string(static_cast<size_t>(AlertTable::maximumFileSize) + 1, ' ')},
        // Hostile binary lists that would keep the library busy without end.
        {"shared children", test::fileBytes(seeds + "shared-children.bplist")},
        {"shallow sharing", test::fileBytes(seeds + "shallow-sharing.bplist")},
        {"deep nesting", test::fileBytes(seeds + "deep-nesting.bplist")},
    };
    test::ScratchDirectory dir;
    for (const auto& [name, content] : cases) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(AlertTable::fromFile(QString::fromStdString(dir.write("Alerts.plist", content))).isEmpty());
        EXPECT_TRUE(AlertTable::fromData(content).isEmpty());
    }
    EXPECT_TRUE(AlertTable::fromFile(QString::fromStdString(dir.file("missing.plist").string())).isEmpty());
    EXPECT_TRUE(AlertTable::fromFile(QString::fromStdString(dir.path().string())).isEmpty()) << "a folder is no table";
}

TEST(AlertTableTest, FieldsOfTheWrongTypeAreAbsent)
{
    const AlertTable table = AlertTable::fromData(plistDocument(R"(<dict>
        <key>GPSOffline</key>
        <dict>
            <key>AlertTitle</key><integer>7</integer>
            <key>AlertDescription</key><true/>
            <key>AlertNotificationName</key><array/>
            <key>AlertSticky</key><string>YES</string>
            <key>AlertPriority</key><real>1.5</real>
            <key>AlertSpeech</key><dict/>
        </dict>
        <key>GPSOnline</key><string>not an entry</string>
        <key>GPSModeUp2D</key>
        <dict><key>AlertPriority</key><integer>-2</integer><key>AlertSticky</key><false/></dict>
        <key>GPSModeUp3D</key>
        <dict><key>AlertPriority</key><integer>99999999999</integer></dict>
        <key>GPSModeDown0D</key>
        <dict><key>AlertPriority</key><integer>-99999999999</integer></dict>
    </dict>)"));
    ASSERT_NE(table.entry("GPSOffline"), nullptr);
    EXPECT_EQ(*table.entry("GPSOffline"), AlertEntry{});
    EXPECT_EQ(table.entry("GPSOnline"), nullptr);
    EXPECT_EQ(table.entry("GPSModeUp2D")->priority, -2);
    EXPECT_EQ(table.entry("GPSModeUp2D")->sticky, false);
    EXPECT_EQ(table.entry("GPSModeUp3D")->priority, std::numeric_limits<int>::max());
    EXPECT_EQ(table.entry("GPSModeDown0D")->priority, std::numeric_limits<int>::min());
    EXPECT_EQ(table.entry("TRVGPSModeDown2D"), nullptr) << "a key the table lacks";
}

} // namespace
} // namespace navora
