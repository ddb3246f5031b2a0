#include "alerts/AlertTable.h"
#include "support/PlistBytes.h"
#include "support/ScratchDirectory.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace navora {
namespace {

const std::vector<std::string> allAlertKeys = {"GPSOffline", "GPSOnline", "GPSModeUp2D", "GPSModeUp3D", "GPSModeDown0D",
    "TRVGPSModeDown2D", "WaypointArrival", "CourseReversal", "DestinationArrival", "WaypointPassage"};

QString shippedTablePath()
{
    return QStringLiteral(NAVORA_SOURCE_DIR "/resources/Alerts.plist");
}

std::string readAll(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll().toStdString();
}

std::string plistDocument(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body + "\n</plist>\n";
}

std::string binaryFromXml(const std::string& xml)
{
    return test::PlistBytes::binaryFromXml(QByteArray::fromStdString(xml)).toStdString();
}

TEST(AlertTableTest, ShippedTableHasEveryKeyWithAllSixFields)
{
    const AlertTable table = AlertTable::fromFile(shippedTablePath());
    ASSERT_EQ(table.entries().size(), allAlertKeys.size());
    for (const std::string& key : allAlertKeys) {
        SCOPED_TRACE(key);
        const AlertEntry* entry = table.entry(key);
        ASSERT_NE(entry, nullptr);
        EXPECT_TRUE(entry->title && !entry->title->empty());
        EXPECT_TRUE(entry->description && !entry->description->empty());
        EXPECT_TRUE(entry->notificationName && !entry->notificationName->empty());
        EXPECT_TRUE(entry->speech && !entry->speech->empty());
        EXPECT_TRUE(entry->sticky.has_value());
        ASSERT_TRUE(entry->priority.has_value());
        EXPECT_GE(*entry->priority, -2);
        EXPECT_LE(*entry->priority, 2);
    }
}

TEST(AlertTableTest, CompiledInTableIsTheShippedFile)
{
    EXPECT_EQ(readAll(AlertTable::defaultPath()), readAll(shippedTablePath()));
    EXPECT_EQ(
        AlertTable::fromFile(AlertTable::defaultPath()).entries(), AlertTable::fromFile(shippedTablePath()).entries());
}

TEST(AlertTableTest, BinaryPropertyListReadsLikeXml)
{
    const std::string xml = readAll(shippedTablePath());
    const AlertTable fromXml = AlertTable::fromData(xml);
    const AlertTable fromBinary = AlertTable::fromData(binaryFromXml(xml));
    ASSERT_FALSE(fromBinary.isEmpty());
    EXPECT_EQ(fromBinary.entries(), fromXml.entries());
}

TEST(AlertTableTest, UnusableFilesGiveAnEmptyTable)
{
    const std::string shipped = readAll(shippedTablePath());
    const std::string binary = binaryFromXml(shipped);
    struct Case {
        const char* name;
        std::string content;
    };
    const std::vector<Case> cases = {
        {"empty file", ""},
        {"plain text", "GPSOffline = GPS Offline\n"},
        {"cut-off XML", shipped.substr(0, shipped.size() / 2)},
        {"cut-off binary", binary.substr(0, binary.size() / 2)},
        {"binary header only", "bplist00"},
        {"top level is an array", plistDocument("<array><string>GPSOffline</string></array>")},
        {"top level is a string", plistDocument("<string>GPSOffline</string>")},
        {"unclosed dictionary", plistDocument("<dict><key>GPSOffline</key><dict><key>AlertTitle</key>")},
        {"too large", std::string(static_cast<size_t>(AlertTable::maximumFileSize) + 1, ' ')},
        // Hostile binary lists that would keep the library busy without end.
        {"shared children", readAll(NAVORA_SOURCE_DIR "/tests/fuzz/corpus/plist/shared-children.bplist")},
        {"shallow sharing", readAll(NAVORA_SOURCE_DIR "/tests/fuzz/corpus/plist/shallow-sharing.bplist")},
        {"deep nesting", readAll(NAVORA_SOURCE_DIR "/tests/fuzz/corpus/plist/deep-nesting.bplist")},
    };
    test::ScratchDirectory dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = QString::fromStdString(dir.file("Alerts.plist").string());
        std::ofstream(path.toStdString(), std::ios::binary | std::ios::trunc) << c.content;
        EXPECT_TRUE(AlertTable::fromFile(path).isEmpty());
        EXPECT_TRUE(AlertTable::fromData(c.content).isEmpty());
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

TEST(AlertTableTest, NotificationNamesAreDistinctInTableOrder)
{
    const AlertTable table = AlertTable::fromData(plistDocument(R"(<dict>
        <key>Zulu</key><dict><key>AlertNotificationName</key><string>Fix</string></dict>
        <key>Alpha</key><dict><key>AlertNotificationName</key><string>Arrival</string></dict>
        <key>Mike</key><dict><key>AlertNotificationName</key><string>Fix</string></dict>
        <key>Nameless</key><dict><key>AlertTitle</key><string>No name</string></dict>
        <key>Bravo</key><dict><key>AlertNotificationName</key><string>fix</string></dict>
    </dict>)"));
    EXPECT_EQ(table.notificationNames(), (std::vector<std::string>{"Fix", "Arrival", "fix"}));
}

} // namespace
} // namespace navora
