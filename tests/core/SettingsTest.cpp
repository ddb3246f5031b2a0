#include "core/Settings.h"
#include "core/MemorySettingsStore.h"
#include "core/QtSettingsStore.h"
#include "core/SettingsKeys.h"

#include "support/LogCapture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QVariantList>

#include <gtest/gtest.h>

#include <memory>

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

TEST(Settings, StoredValueWinsOverDefaultInEveryAcceptedForm)
{
    struct Case {
        std::string_view key;
        QVariant stored;
        QVariant expected; // int, bool or std::string via QString
    };
    const Case cases[] = {
        {TRVUnitsKey, int('s'), int('s')},
        {TRVUnitsKey, QStringLiteral("109"), int('m')},
        {TRVUnitsKey, QStringLiteral(" 105 "), int('i')},
        {TRVUnitsKey, 115.0, int('s')},
        {TRVArrivalAlertKey, qulonglong(30), 30},
        {TRVArrivalAlertKey, QStringLiteral("-5"), -5},
        {TRVGrowlOnKey, false, false},
        {TRVGrowlOnKey, QStringLiteral("false"), false},
        {TRVGrowlOnKey, QStringLiteral("NO"), false},
        {TRVGrowlOnKey, 0, false},
        {TRVSpeechOnKey, QStringLiteral("true"), true},
        {TRVSpeechOnKey, QStringLiteral("Yes"), true},
        {TRVSpeechOnKey, QStringLiteral("1"), true},
        {TRVgpsdServerKey, QStringLiteral("gps.example.org"), QStringLiteral("gps.example.org")},
        {TRVgpsdPortKey, 10000, QStringLiteral("10000")},
    };
    for (const Case& c : cases) {
        LogCapture log;
        MemorySettingsStore store;
        Settings settings(store);
        settings.registerDefaults();
        store.setValue(c.key, c.stored);
        const int type = c.expected.typeId();
        if (type == QMetaType::Int)
            EXPECT_EQ(settings.integerForKey(c.key), c.expected.toInt())
                << c.key << " " << c.stored.toString().toStdString();
        else if (type == QMetaType::Bool)
            EXPECT_EQ(settings.boolForKey(c.key), c.expected.toBool())
                << c.key << " " << c.stored.toString().toStdString();
        else
            EXPECT_EQ(settings.stringForKey(c.key), c.expected.toString().toStdString()) << c.key;
        EXPECT_TRUE(log.lines().empty()) << c.key;
    }
}

TEST(Settings, UnreadableStoredValueIsLoggedDefaultedAndKept)
{
    enum class Read { Integer, Bool, String, Colour };
    struct Case {
        std::string_view key;
        QVariant stored;
        Read read;
    };
    const Case cases[] = {
        {TRVUnitsKey, QStringLiteral("abc"), Read::Integer},
        {TRVUnitsKey, QStringLiteral(""), Read::Integer},
        {TRVUnitsKey, 3.5, Read::Integer},
        {TRVUnitsKey, qlonglong(1) << 40, Read::Integer},
        {TRVArrivalAlertKey, QStringLiteral("15 seconds"), Read::Integer},
        {TRVSayWhatKey, QVariantList{1, 2}, Read::Integer},
        {TRVGrowlOnKey, QStringLiteral("maybe"), Read::Bool},
        {TRVSpeechOnKey, QVariantList{}, Read::Bool},
        {TRVFloatMiniKey, QStringLiteral(""), Read::Bool},
        {TRVgpsdServerKey, QVariantList{QStringLiteral("a"), QStringLiteral("b")}, Read::String},
        {TRVgpsdPortKey, true, Read::String},
        {TRVRouteColourKey, QStringLiteral("1 0 1"), Read::Colour},
        {TRVRouteColourKey, QStringLiteral("1 0 1 2"), Read::Colour},
        {TRVRouteColourKey, QStringLiteral("garbage"), Read::Colour},
        {TRVRouteColourKey, 1, Read::Colour},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " = " + c.stored.toString().toStdString());
        LogCapture log;
        MemorySettingsStore store;
        Settings settings(store);
        settings.registerDefaults();
        store.setValue(c.key, c.stored);
        switch (c.read) {
        case Read::Integer:
            EXPECT_EQ(settings.integerForKey(c.key), settings.registeredDefault(c.key).toInt());
            break;
        case Read::Bool:
            EXPECT_EQ(settings.boolForKey(c.key), settings.registeredDefault(c.key).toBool());
            break;
        case Read::String:
            EXPECT_EQ(settings.stringForKey(c.key), settings.registeredDefault(c.key).toString().toStdString());
            break;
        case Read::Colour:
            EXPECT_EQ(settings.colourForKey(c.key), RouteColour::routeDefault());
            break;
        }
        const auto lines = log.lines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find("\"" + std::string(c.key) + "\""), std::string::npos) << lines[0];
        EXPECT_EQ(store.value(c.key), c.stored);
    }
    LogCapture log;
    MemorySettingsStore store;
    Settings settings(store);
    store.setValue(TRVUnitsKey, QStringLiteral("abc"));
    store.setValue(TRVGrowlOnKey, QVariantList{});
    settings.integerForKey(TRVUnitsKey);
    settings.boolForKey(TRVGrowlOnKey);
    EXPECT_EQ(log.lines(),
        (std::vector<std::string>{
            "Setting \"Units\" holds \"abc\", which is not an integer; the default is used",
            "Setting \"Growl notifications\" holds a value of type QVariantList, which is not a bool; "
            "the default is used",
        }));
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

class QtSettingsStoreTest : public testing::Test {
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("Navora/Navora.conf")); }

    QTemporaryDir m_dir;
};

// Nothing is written for the defaults; what is set is written at once, and
// reads back typed after a reopen.
TEST_F(QtSettingsStoreTest, TypedValuesSurviveAReopenOfTheFile)
{
    ASSERT_TRUE(m_dir.isValid());
    const RouteColour colour{0.1, 1.0 / 3.0, 0.0, 0.30000000000000004};
    {
        QtSettingsStore store(path());
        Settings settings(store);
        settings.registerDefaults();
        EXPECT_FALSE(QFile::exists(path()));
        settings.setInteger(TRVArrivalAlertKey, -40);
        settings.setString(TRVgpsdServerKey, "gps.example.org, Zürich");
        settings.setBool(TRVGrowlOnKey, false);
        settings.setColour(TRVRouteColourKey, colour);
        EXPECT_TRUE(QFile::exists(path()));
    }
    LogCapture log;
    QtSettingsStore store(path());
    Settings settings(store);
    settings.registerDefaults();
    EXPECT_EQ(settings.integerForKey(TRVArrivalAlertKey), -40);
    EXPECT_EQ(settings.stringForKey(TRVgpsdServerKey), "gps.example.org, Zürich");
    EXPECT_FALSE(settings.boolForKey(TRVGrowlOnKey));
    EXPECT_EQ(settings.colourForKey(TRVRouteColourKey), colour);
    EXPECT_EQ(store.keys().size(), 4u);
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(QtSettingsStoreTest, HandEditedBadValueIsDefaultedAndTheFileKept)
{
    ASSERT_TRUE(m_dir.isValid());
    QDir().mkpath(m_dir.filePath(QStringLiteral("Navora")));
    const QByteArray text = "[General]\nUnits=abc\nGPSd%20port=2948\n";
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    LogCapture log;
    {
        QtSettingsStore store(path());
        Settings settings(store);
        settings.registerDefaults();
        EXPECT_EQ(settings.integerForKey(TRVUnitsKey), 'n');
        EXPECT_EQ(settings.stringForKey(TRVgpsdPortKey), "2948");
    }
    EXPECT_EQ(log.count("Setting \"Units\" holds \"abc\", which is not an integer; the default is used"), 1u);
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), text);
}

TEST_F(QtSettingsStoreTest, DefaultFileFollowsXdgConfigHome)
{
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
    EXPECT_EQ(QtSettingsStore::defaultFilePath(), m_dir.path() + QStringLiteral("/Navora/Navora.conf"));
    if (previous.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", previous);
}

} // namespace
} // namespace navora
