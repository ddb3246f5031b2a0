#include "core/Settings.h"
#include "core/MemorySettingsStore.h"
#include "core/QtSettingsStore.h"
#include "core/SettingsKeys.h"

#include "support/LogCapture.h"
#include "support/ScratchDirectory.h"

#include <QFile>
#include <QTemporaryDir>
#include <QVariantList>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace navora {
namespace {

using test::LogCapture;

// A fresh installation: the defaults, none of them written to the store;
// without registration every key reads as a zero value.
TEST(Settings, DefaultsAreRegisteredNotStored)
{
    LogCapture log;
    MemorySettingsStore store;
    Settings settings(store);
    EXPECT_EQ(settings.integerForKey(TRVUnitsKey), 0);
    EXPECT_FALSE(settings.boolForKey(TRVGrowlOnKey));
    EXPECT_EQ(settings.stringForKey(TRVgpsdServerKey), "");
    settings.registerDefaults();
    EXPECT_EQ(settings.integerForKey(TRVUnitsKey), 'n');
    EXPECT_EQ(settings.stringForKey(TRVgpsdServerKey), "localhost");
    EXPECT_EQ(settings.stringForKey(TRVgpsdPortKey), "2947");
    EXPECT_TRUE(settings.boolForKey(TRVGrowlOnKey));
    EXPECT_FALSE(settings.boolForKey(TRVSpeechOnKey));
    EXPECT_EQ(settings.integerForKey(TRVArrivalAlertKey), 15);
    EXPECT_EQ(settings.colourForKey(TRVRouteColourKey), (RouteColour{1.0, 0.0, 1.0, 0.8}));
    EXPECT_TRUE(settings.boolForKey(TRVFloatMiniKey));
    for (const std::string_view key : allSettingsKeys)
        EXPECT_TRUE(settings.registeredDefault(key).isValid()) << key;
    EXPECT_TRUE(store.keys().empty());
    EXPECT_TRUE(log.lines().empty());
}

// A key read as the type of its default (the colour as its text).
QVariant readAsItsType(const Settings& settings, std::string_view key)
{
    if (key == TRVRouteColourKey)
        return QString::fromStdString(settings.colourForKey(key).encoded());
    switch (settings.registeredDefault(key).typeId()) {
    case QMetaType::Int:
        return settings.integerForKey(key);
    case QMetaType::Bool:
        return settings.boolForKey(key);
    default:
        return QString::fromStdString(settings.stringForKey(key));
    }
}

// A stored value wins in every form that reads as the type; one that does
// not is logged, the default read in its place, and the value itself kept.
TEST(Settings, StoredValuesReadAsTheTypeOrGiveTheDefault)
{
    const QVariant unreadable;
    const struct {
        std::string_view key;
        QVariant stored;
        QVariant read; // invalid: the default, with a line in the log
        std::string line = {}; // that line, where given; else it names the key
    } rows[] = {
        {TRVUnitsKey, int('s'), int('s')},
        {TRVUnitsKey, QStringLiteral("109"), int('m')},
        {TRVUnitsKey, QStringLiteral(" 105 "), int('i')},
        {TRVUnitsKey, 115.0, int('s')},
        {TRVUnitsKey, QVariant::fromValue(static_cast<signed char>('s')), int('s')},
        {TRVUnitsKey, QVariant::fromValue('m'), int('m')},
        {TRVArrivalAlertKey, qulonglong(30), 30},
        {TRVArrivalAlertKey, QStringLiteral("-5"), -5},
        {TRVArrivalAlertKey, true, 1},
        {TRVGrowlOnKey, false, false},
        {TRVGrowlOnKey, QStringLiteral("false"), false},
        {TRVGrowlOnKey, QStringLiteral("NO"), false},
        {TRVGrowlOnKey, 0, false},
        {TRVSpeechOnKey, QStringLiteral("true"), true},
        {TRVSpeechOnKey, QStringLiteral("Yes"), true},
        {TRVSpeechOnKey, QStringLiteral("1"), true},
        {TRVgpsdServerKey, QStringLiteral("gps.example.org"), QStringLiteral("gps.example.org")},
        {TRVgpsdPortKey, 10000, QStringLiteral("10000")},
        {TRVRouteColourKey, QStringLiteral("0.5 0.25 1 1"), QStringLiteral("0.5 0.25 1 1")},
        {TRVUnitsKey, QStringLiteral("abc"), unreadable,
            "Setting \"Units\" holds \"abc\", which is not an integer; the default is used"},
        {TRVUnitsKey, QStringLiteral(""), unreadable},
        {TRVUnitsKey, 3.5, unreadable},
        {TRVUnitsKey, qlonglong(1) << 40, unreadable},
        {TRVArrivalAlertKey, QStringLiteral("15 seconds"), unreadable},
        {TRVArrivalAlertKey, QString(81, '9') + "s", unreadable,
            "Setting \"Alert seconds before arrival\" holds \"" + std::string(80, '9')
                + "...\", which is not an integer; the default is used"},
        {TRVSayWhatKey, QVariantList{1, 2}, unreadable},
        {TRVGrowlOnKey, QStringLiteral("maybe"), unreadable},
        {TRVSpeechOnKey, QVariantList{}, unreadable,
            "Setting \"Speech notifications\" holds a value of type QVariantList, which is not a bool; the default is "
            "used"},
        {TRVFloatMiniKey, QStringLiteral(""), unreadable},
        {TRVgpsdServerKey, QVariantList{QStringLiteral("a"), QStringLiteral("b")}, unreadable},
        {TRVgpsdPortKey, true, unreadable},
        {TRVRouteColourKey, QStringLiteral("1 0 1"), unreadable},
        {TRVRouteColourKey, QStringLiteral("1 0 1 2"), unreadable},
        {TRVRouteColourKey, QStringLiteral("garbage"), unreadable},
        {TRVRouteColourKey, 1, unreadable},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.key) + " = " + row.stored.toString().toStdString());
        MemorySettingsStore fresh;
        Settings defaults(fresh);
        defaults.registerDefaults();
        LogCapture log;
        MemorySettingsStore store;
        Settings settings(store);
        settings.registerDefaults();
        store.setValue(row.key, row.stored);
        EXPECT_EQ(readAsItsType(settings, row.key), row.read.isValid() ? row.read : readAsItsType(defaults, row.key));
        const auto lines = log.lines();
        ASSERT_EQ(lines.size(), row.read.isValid() ? 0u : 1u);
        // Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on "\"" + std::string(...).
        const std::string quotedKey = std::string(1, '"').append(row.key).append(1, '"');
        for (const std::string& line : lines) {
            EXPECT_NE(line.find(quotedKey), std::string::npos) << line;
            EXPECT_TRUE(row.line.empty() || line == row.line) << line;
        }
        EXPECT_EQ(store.value(row.key), row.stored);
    }
}

TEST(Settings, InvalidColourIsRefusedAndNothingStored)
{
    LogCapture log;
    MemorySettingsStore store;
    Settings settings(store);
    EXPECT_FALSE(settings.setColour(TRVRouteColourKey, {1.0, 0.0, 1.5, 0.8}));
    EXPECT_FALSE(store.contains(TRVRouteColourKey));
    EXPECT_EQ(log.lines().size(), 1u);
    EXPECT_TRUE(settings.setColour(TRVRouteColourKey, {0.25, 0.5, 0.75, 1.0}));
    EXPECT_EQ(settings.colourForKey(TRVRouteColourKey), (RouteColour{0.25, 0.5, 0.75, 1.0}));
}

// Nothing is written for the defaults; what is set is written at once and
// reads back typed after a reopen. A hand-edited bad value reads as the
// default, and reading never rewrites the file.
TEST(QtSettingsStore, TypedValuesSurviveAReopenAndAHandEditIsKept)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Navora/Navora.conf"));
    const RouteColour colour{0.1, 1.0 / 3.0, 0.0, 0.30000000000000004};
    {
        QtSettingsStore store(path);
        Settings settings(store);
        settings.registerDefaults();
        EXPECT_FALSE(QFile::exists(path));
        settings.setInteger(TRVArrivalAlertKey, -40);
        settings.setString(TRVgpsdServerKey, "gps.example.org, Zürich");
        settings.setBool(TRVGrowlOnKey, false);
        settings.setColour(TRVRouteColourKey, colour);
        EXPECT_TRUE(QFile::exists(path));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("Units=abc\n");
    file.close();
    const QByteArray text = QByteArray::fromStdString(test::fileBytes(path.toStdString()));
    LogCapture log;
    {
        QtSettingsStore store(path);
        Settings settings(store);
        settings.registerDefaults();
        EXPECT_EQ(settings.integerForKey(TRVArrivalAlertKey), -40);
        EXPECT_EQ(settings.stringForKey(TRVgpsdServerKey), "gps.example.org, Zürich");
        EXPECT_FALSE(settings.boolForKey(TRVGrowlOnKey));
        EXPECT_EQ(settings.colourForKey(TRVRouteColourKey), colour);
        EXPECT_EQ(settings.integerForKey(TRVUnitsKey), 'n');
        EXPECT_EQ(store.keys().size(), 5u);
    }
    EXPECT_EQ(log.lines(),
        std::vector<std::string>{"Setting \"Units\" holds \"abc\", which is not an integer; the default is used"});
    EXPECT_EQ(QByteArray::fromStdString(test::fileBytes(path.toStdString())), text);
}

TEST(QtSettingsStore, DefaultFileFollowsXdgConfigHome)
{
    QTemporaryDir dir;
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    EXPECT_EQ(QtSettingsStore::defaultFilePath(), dir.path() + QStringLiteral("/Navora/Navora.conf"));
    previous.isEmpty() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", previous);
}

// The preferences write while the GPS thread reads: every read sees either
// the old or the new value, never anything else.
TEST(SettingsThreads, ReadsDuringWritesInMemoryAndToTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    MemorySettingsStore memory;
    QtSettingsStore file(dir.filePath(QStringLiteral("Navora.conf")));
    for (SettingsStore* store : std::initializer_list<SettingsStore*>{&memory, &file}) {
        Settings settings(*store);
        settings.registerDefaults();
        std::atomic<bool> done{false};
        std::vector<std::thread> readers;
        for (int i = 0; i < 3; ++i) {
            readers.emplace_back([&] {
                while (!done.load()) {
                    const int units = settings.integerForKey(TRVUnitsKey);
                    EXPECT_TRUE(units == 'n' || units == 's') << units;
                    const std::string port = settings.stringForKey(TRVgpsdPortKey);
                    EXPECT_TRUE(port == "2947" || port == "2948") << port;
                }
            });
        }
        for (int round = 0; round < 20; ++round) {
            settings.setInteger(TRVUnitsKey, round % 2 ? 'n' : 's');
            settings.setString(TRVgpsdPortKey, round % 2 ? "2947" : "2948");
        }
        done = true;
        for (std::thread& reader : readers)
            reader.join();
    }
}

} // namespace
} // namespace navora
