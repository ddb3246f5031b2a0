#include "app/preferences/PreferenceController.h"
#include "alerts/AlertTable.h"
#include "app/preferences/RouteColourWell.h"
#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"
#include "support/ControlStates.h"
#include "support/LogCapture.h"
#include "support/PostRecorder.h"
#include "support/QtApplication.h"
#include "support/ScratchDirectory.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace navora::test {

// One preferences window on settings of its own (defaults registered, then
// the given values stored), shown, with every notification it posts recorded.
class PreferenceHarness {
public:
    using Post = PostRecorder::Post;
    using StoredValues = std::vector<std::pair<std::string_view, QVariant>>;

    explicit PreferenceHarness(
        const StoredValues& stored = {}, const QString& alertTablePath = AlertTable::defaultPath());
    ~PreferenceHarness();

    PreferenceController& controller() { return *m_controller; }
    Settings& settings() { return m_settings; }
    MemorySettingsStore& store() { return m_store; }
    const std::vector<Post>& posts() const { return m_recorder.posts; }

    // Everything in the store, key to value.
    std::map<std::string, QVariant> storedValues() const;

    // The window's control with that objectName; fails the test if missing.
    template <typename Widget> Widget& control(const char* name) const
    {
        auto* widget = m_controller->window().findChild<Widget*>(QString::fromLatin1(name));
        if (widget == nullptr)
            throw std::runtime_error(std::string("no control ") + name);
        return *widget;
    }

    // Types text into a line edit as the user would and presses Return.
    void typeAndReturn(const char* field, const QString& text);
    // Empties a line edit and moves the focus away, ending its editing.
    void emptyAndLeave(const char* field);
    void click(const char* button);

private:
    MemorySettingsStore m_store;
    Settings m_settings;
    NotificationCenter m_center;
    PostRecorder m_recorder{m_center, {std::begin(allNotificationNames), std::end(allNotificationNames)}};
    std::unique_ptr<PreferenceController> m_controller;
};

PreferenceHarness::PreferenceHarness(const StoredValues& stored, const QString& alertTablePath)
    : m_settings(m_store)
{
    ensureWidgetApplication();
    m_settings.registerDefaults();
    for (const auto& [key, value] : stored)
        m_store.setValue(key, value);
    m_controller = std::make_unique<PreferenceController>(m_settings, m_center, nullptr, alertTablePath);
    m_controller->showWindow();
    QApplication::setActiveWindow(&m_controller->window());
}

PreferenceHarness::~PreferenceHarness()
{
    m_controller.reset();
}

std::map<std::string, QVariant> PreferenceHarness::storedValues() const
{
    std::map<std::string, QVariant> values;
    for (const std::string& key : m_store.keys())
        values[key] = m_store.value(key);
    return values;
}

void PreferenceHarness::typeAndReturn(const char* field, const QString& text)
{
    auto& edit = control<QLineEdit>(field);
    edit.setFocus();
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Delete);
    QTest::keyClicks(&edit, text);
    QTest::keyClick(&edit, Qt::Key_Return);
}

void PreferenceHarness::emptyAndLeave(const char* field)
{
    auto& edit = control<QLineEdit>(field);
    edit.setFocus();
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Delete);
    control<QWidget>("growlCheck").setFocus();
}

void PreferenceHarness::click(const char* button)
{
    // Near the left edge: a check box or radio button stretched by its layout
    // answers clicks only on its indicator and text.
    auto& target = control<QAbstractButton>(button);
    QTest::mouseClick(&target, Qt::LeftButton, {}, QPoint(6, target.height() / 2));
}

namespace {

using StoredValues = PreferenceHarness::StoredValues;

// The keys whose stored values differ between two snapshots of the store.
std::vector<std::string> changedKeys(
    const std::map<std::string, QVariant>& before, const std::map<std::string, QVariant>& after)
{
    std::vector<std::string> keys;
    for (const auto& [key, value] : after) {
        const auto old = before.find(key);
        if (old == before.end() || old->second != value)
            keys.push_back(key);
    }
    return keys;
}

// --- Loading -----------------------------------------------------------------

struct LoadCase {
    const char* name;
    StoredValues stored;
    QString server;
    QString port;
    QString arrival;
    const char* unitButton;
    bool speech;
    const char* speechButton;
    const char* protocolButton;
    RouteColour colour;
    bool growl;
    bool mnFloat;
};

class PreferenceLoadTest : public testing::TestWithParam<LoadCase> { };

TEST_P(PreferenceLoadTest, FillsEveryControlFromTheSettings)
{
    const LoadCase& c = GetParam();
    PreferenceHarness harness(c.stored);
    EXPECT_EQ(harness.control<QLineEdit>("serverBox").text(), c.server);
    EXPECT_EQ(harness.control<QLineEdit>("portBox").text(), c.port);
    EXPECT_EQ(harness.control<QLineEdit>("arrivalTiming").text(), c.arrival);
    EXPECT_TRUE(harness.control<QRadioButton>(c.unitButton).isChecked());
    EXPECT_EQ(harness.control<QCheckBox>("speechCheck").isChecked(), c.speech);
    EXPECT_EQ(harness.control<QWidget>("wpSpeechPrompt").isVisible(), c.speech);
    EXPECT_EQ(harness.control<QWidget>("wpSpeechOption").isVisible(), c.speech);
    EXPECT_TRUE(harness.control<QRadioButton>(c.speechButton).isChecked());
    EXPECT_TRUE(harness.control<QRadioButton>(c.protocolButton).isChecked());
    EXPECT_EQ(harness.control<RouteColourWell>("routeColourWell").colour(), c.colour);
    EXPECT_EQ(harness.control<QCheckBox>("growlCheck").isChecked(), c.growl);
    EXPECT_EQ(harness.control<QCheckBox>("mnFloatCheck").isChecked(), c.mnFloat);
    // Filling the window is no change of setting.
    EXPECT_TRUE(harness.posts().empty());
    EXPECT_EQ(harness.store().keys().size(), c.stored.size());
}

INSTANTIATE_TEST_SUITE_P(Stored, PreferenceLoadTest,
    testing::Values(LoadCase{"defaults", {}, "localhost", "2947", "15", "unitNautical", false, "speakName",
                        "protocolNMEA", RouteColour::routeDefault(), true, true},
        LoadCase{"chosen",
            {{TRVUnitsKey, int('i')}, {TRVgpsdServerKey, QStringLiteral("gpsbox.lan")},
                {TRVgpsdPortKey, QStringLiteral("3001")}, {TRVArrivalAlertKey, 42}, {TRVSpeechOnKey, true},
                {TRVSayWhatKey, 1}, {TRVProtocolKey, 1}, {TRVRouteColourKey, QStringLiteral("0.25 0.5 0.75 0.5")},
                {TRVGrowlOnKey, false}, {TRVFloatMiniKey, false}},
            "gpsbox.lan", "3001", "42", "unitImperial", true, "speakComment", "protocolBinary",
            RouteColour{0.25, 0.5, 0.75, 0.5}, false, false},
        LoadCase{"metric", {{TRVUnitsKey, int('m')}}, "localhost", "2947", "15", "unitMetric", false, "speakName",
            "protocolNMEA", RouteColour::routeDefault(), true, true},
        LoadCase{"SI", {{TRVUnitsKey, int('s')}}, "localhost", "2947", "15", "unitSI", false, "speakName",
            "protocolNMEA", RouteColour::routeDefault(), true, true}),
    [](const testing::TestParamInfo<LoadCase>& row) { return std::string(row.param.name); });

// --- Actions -----------------------------------------------------------------

struct ActionCase {
    const char* name;
    StoredValues stored;
    std::function<void(PreferenceHarness&)> gesture;
    std::map<std::string, QVariant> expectedStore; // the keys that change, with their new values
    std::vector<PreferenceHarness::Post> expectedPosts;
};

class PreferenceActionTest : public testing::TestWithParam<ActionCase> { };

TEST_P(PreferenceActionTest, StoresTheChangeAndPostsItsNotification)
{
    const ActionCase& c = GetParam();
    PreferenceHarness harness(c.stored);
    const auto before = harness.storedValues();
    c.gesture(harness);
    const auto after = harness.storedValues();

    std::vector<std::string> expectedKeys;
    for (const auto& [key, value] : c.expectedStore) {
        expectedKeys.push_back(key);
        EXPECT_EQ(after.count(key) ? after.at(key) : QVariant(), value) << key;
    }
    EXPECT_EQ(changedKeys(before, after), expectedKeys);
    ASSERT_EQ(harness.posts().size(), c.expectedPosts.size());
    for (size_t i = 0; i < c.expectedPosts.size(); ++i) {
        EXPECT_EQ(harness.posts()[i].name, c.expectedPosts[i].name);
        EXPECT_TRUE(harness.posts()[i].object.value() == c.expectedPosts[i].object.value())
            << harness.posts()[i].name << " carries another object";
    }
}

auto clickOn(const char* button)
{
    return [button](PreferenceHarness& harness) { harness.click(button); };
}

const StoredValues speechOn = {{TRVSpeechOnKey, true}};

INSTANTIATE_TEST_SUITE_P(Gestures, PreferenceActionTest,
    testing::Values(ActionCase{"unitsMetric", {}, clickOn("unitMetric"), {{"Units", int('m')}},
                        {{"TRVUnitsChanged", matrixRow(1)}}},
        ActionCase{
            "unitsImperial", {}, clickOn("unitImperial"), {{"Units", int('i')}}, {{"TRVUnitsChanged", matrixRow(2)}}},
        ActionCase{"unitsSI", {}, clickOn("unitSI"), {{"Units", int('s')}}, {{"TRVUnitsChanged", matrixRow(3)}}},
        ActionCase{"unitsNautical", {{TRVUnitsKey, int('s')}}, clickOn("unitNautical"), {{"Units", int('n')}},
            {{"TRVUnitsChanged", matrixRow(0)}}},
        ActionCase{"applyButton", {},
            [](PreferenceHarness& h) {
                h.control<QLineEdit>("serverBox").setText(QStringLiteral("127.0.0.2"));
                h.control<QLineEdit>("portBox").setText(QStringLiteral(" 3001 "));
                h.click("applyServerPort");
            },
            {{"GPSd port", QStringLiteral("3001")}, {"GPSd server", QStringLiteral("127.0.0.2")}},
            {{"TRVServerPortChanged", ControlState{}}}},
        ActionCase{"returnInPort", {},
            [](PreferenceHarness& h) {
                h.control<QLineEdit>("serverBox").setText(QStringLiteral("gpsbox.lan"));
                h.typeAndReturn("portBox", QStringLiteral("2948"));
            },
            {{"GPSd port", QStringLiteral("2948")}, {"GPSd server", QStringLiteral("gpsbox.lan")}},
            {{"TRVServerPortChanged", ControlState{}}}},
        ActionCase{"returnInEmptiedServer", {{TRVgpsdServerKey, QStringLiteral("gpsbox.lan")}},
            [](PreferenceHarness& h) { h.typeAndReturn("serverBox", QString()); },
            {{"GPSd port", QStringLiteral("2947")}, {"GPSd server", QStringLiteral("localhost")}},
            {{"TRVServerPortChanged", ControlState{}}}},
        ActionCase{"arrivalTime", {}, [](PreferenceHarness& h) { h.typeAndReturn("arrivalTiming", "30"); },
            {{"Alert seconds before arrival", 30}}, {{"TRVArrivalAlertChanged", 30.0}}},
        ActionCase{"arrivalTimeZero", {}, [](PreferenceHarness& h) { h.typeAndReturn("arrivalTiming", " 0 "); },
            {{"Alert seconds before arrival", 0}}, {{"TRVArrivalAlertChanged", 0.0}}},
        ActionCase{"growlOff", {}, clickOn("growlCheck"), {{"Growl notifications", false}},
            {{"TRVGrowlChanged", checkBox(0, false)}}},
        ActionCase{"growlOn", {{TRVGrowlOnKey, false}}, clickOn("growlCheck"), {{"Growl notifications", true}},
            {{"TRVGrowlChanged", checkBox(0, true)}}},
        ActionCase{"mnFloatOff", {}, clickOn("mnFloatCheck"), {{"Floating MiniNav window", false}},
            {{"TRVMNFloatChanged", checkBox(0, false)}}},
        ActionCase{"speechOn", {}, clickOn("speechCheck"), {{"Speech notifications", true}},
            {{"TRVSpeechChanged", checkBox(3, true)}}},
        ActionCase{"speechOff", speechOn, clickOn("speechCheck"), {{"Speech notifications", false}},
            {{"TRVSpeechChanged", checkBox(3, false)}}},
        ActionCase{"speakComments", speechOn, clickOn("speakComment"), {{"Speak waypoint comments", 1}},
            {{"TRVSpeechChanged", matrixColumn(1, 1)}}},
        ActionCase{"speakNames", {{TRVSpeechOnKey, true}, {TRVSayWhatKey, 1}}, clickOn("speakName"),
            {{"Speak waypoint comments", 0}}, {{"TRVSpeechChanged", matrixColumn(1, 0)}}},
        ActionCase{"routeColourTranslucent", {},
            [](PreferenceHarness& h) {
                h.control<RouteColourWell>("routeColourWell").setColour({0.0, 0.5, 1.0, 0.5});
                h.controller().setRouteColour();
            },
            {{"Route colour", QStringLiteral("0 0.5 1 0.5")}},
            {{"TRVRouteColourChanged", colourWell({0.0, 0.5, 1.0, 0.5})}}},
        ActionCase{"protocolBinary", {}, clickOn("protocolBinary"), {{"GPSd protocol", 1}}, {}}),
    [](const testing::TestParamInfo<ActionCase>& row) { return std::string(row.param.name); });

// --- Server and port ---------------------------------------------------------

struct RefillCase {
    const char* field;
    const char* refill;
};

class PreferenceRefillTest : public testing::TestWithParam<RefillCase> { };

TEST_P(PreferenceRefillTest, EmptiedFieldIsRefilledWithTheDefaultAndNothingApplied)
{
    PreferenceHarness harness({{TRVgpsdServerKey, QStringLiteral("gpsbox.lan")}, {TRVgpsdPortKey, "3001"}});
    const auto before = harness.storedValues();
    harness.emptyAndLeave(GetParam().field);
    EXPECT_EQ(harness.control<QLineEdit>(GetParam().field).text(), QString::fromLatin1(GetParam().refill));
    EXPECT_EQ(harness.storedValues(), before);
    EXPECT_TRUE(harness.posts().empty());
}

INSTANTIATE_TEST_SUITE_P(Fields, PreferenceRefillTest,
    testing::Values(RefillCase{"serverBox", "localhost"}, RefillCase{"portBox", "2947"}),
    [](const testing::TestParamInfo<RefillCase>& row) { return std::string(row.param.field); });

TEST(PreferenceFieldsTest, LeavingAFieldChangesNoSetting)
{
    PreferenceHarness harness;
    auto& server = harness.control<QLineEdit>("serverBox");
    server.setFocus();
    QTest::keyClicks(&server, QStringLiteral(".lan")); // edited, not applied
    harness.control<QLineEdit>("arrivalTiming").setFocus(); // left unchanged
    harness.control<QWidget>("growlCheck").setFocus();
    EXPECT_EQ(server.text(), QStringLiteral("localhost.lan"));
    EXPECT_TRUE(harness.store().keys().empty());
    EXPECT_TRUE(harness.posts().empty());
}

struct BadEndpointCase {
    const char* name;
    const char* server;
    const char* port;
    const char* message;
};

class PreferenceBadEndpointTest : public testing::TestWithParam<BadEndpointCase> { };

TEST_P(PreferenceBadEndpointTest, IsToldAndNeitherIsApplied)
{
    const BadEndpointCase& c = GetParam();
    PreferenceHarness harness;
    LogCapture log;
    harness.control<QLineEdit>("serverBox").setText(QString::fromLatin1(c.server));
    harness.control<QLineEdit>("portBox").setText(QString::fromLatin1(c.port));
    harness.click("applyServerPort");
    EXPECT_TRUE(log.contains(c.message)) << testing::PrintToString(log.lines());
    EXPECT_EQ(harness.control<QLabel>("prefMessage").text().toStdString(), c.message);
    EXPECT_TRUE(harness.store().keys().empty());
    EXPECT_TRUE(harness.posts().empty());
    // What the user typed stays there to be corrected.
    EXPECT_EQ(harness.control<QLineEdit>("portBox").text(), QString::fromLatin1(c.port));
}

INSTANTIATE_TEST_SUITE_P(Typed, PreferenceBadEndpointTest,
    testing::Values(BadEndpointCase{"letters", "localhost", "gpsd",
                        "GPSd port \"gpsd\" is not a port number from 1 to 65535 - server and port not applied"},
        BadEndpointCase{"tooLarge", "localhost", "70000",
            "GPSd port \"70000\" is not a port number from 1 to 65535 - server and port not applied"},
        BadEndpointCase{"zero", "localhost", "0",
            "GPSd port \"0\" is not a port number from 1 to 65535 - server and port not applied"},
        BadEndpointCase{"blankInServer", "gps box", "2947",
            "GPSd server \"gps box\" is not a host name or address - server and port not applied"}),
    [](const testing::TestParamInfo<BadEndpointCase>& row) { return std::string(row.param.name); });

// --- Arrival time ------------------------------------------------------------

class PreferenceBadArrivalTest : public testing::TestWithParam<const char*> { };

TEST_P(PreferenceBadArrivalTest, KeepsTheLastGoodValue)
{
    PreferenceHarness harness({{TRVArrivalAlertKey, 42}});
    LogCapture log;
    const QString typed = QString::fromUtf8(GetParam());
    harness.typeAndReturn("arrivalTiming", typed);
    const std::string message = "Alert time \"" + typed.toStdString()
        + "\" is not a whole number of seconds from 0 to 86400 - keeping 42 seconds";
    EXPECT_TRUE(log.contains(message)) << testing::PrintToString(log.lines());
    EXPECT_EQ(harness.control<QLabel>("prefMessage").text().toStdString(), message);
    EXPECT_EQ(harness.control<QLineEdit>("arrivalTiming").text(), QStringLiteral("42"));
    EXPECT_EQ(harness.settings().integerForKey(TRVArrivalAlertKey), 42);
    EXPECT_TRUE(harness.posts().empty());

    // A good value afterwards is taken and the message goes.
    harness.typeAndReturn("arrivalTiming", QStringLiteral("20"));
    EXPECT_EQ(harness.settings().integerForKey(TRVArrivalAlertKey), 20);
    EXPECT_TRUE(harness.control<QLabel>("prefMessage").text().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Typed, PreferenceBadArrivalTest,
    testing::Values("abc", "12.5", "-3", "15s", "", "86401", "99999999999", "1e3", "0x10"));

// --- Units -------------------------------------------------------------------

TEST(PreferenceUnitsTest, UnknownStoredUnitsSelectNoRowAndTheActionStoresNothing)
{
    LogCapture log;
    PreferenceHarness harness({{TRVUnitsKey, int('x')}});
    EXPECT_TRUE(log.contains("Stored units 120 are none of n, m, i, s - no unit row selected"));
    auto& group = *harness.control<QRadioButton>("unitNautical").group();
    EXPECT_EQ(group.checkedButton(), nullptr);

    harness.controller().selectUnit();
    EXPECT_TRUE(log.contains("Unknown units - row -1 - selected"));
    EXPECT_EQ(harness.settings().integerForKey(TRVUnitsKey), int('x'));
    EXPECT_TRUE(harness.posts().empty());
}

// --- Speech choice -----------------------------------------------------------

TEST(PreferenceSpeechTest, WaypointSpeechChoiceFollowsTheSpeechCheckBoxBothWays)
{
    PreferenceHarness harness;
    auto& prompt = harness.control<QWidget>("wpSpeechPrompt");
    auto& option = harness.control<QWidget>("wpSpeechOption");
    EXPECT_FALSE(prompt.isVisible());
    EXPECT_FALSE(option.isVisible());
    for (const bool on : {true, false, true}) {
        harness.click("speechCheck");
        EXPECT_EQ(prompt.isVisible(), on);
        EXPECT_EQ(option.isVisible(), on);
        EXPECT_EQ(harness.settings().boolForKey(TRVSpeechOnKey), on);
    }
}

// --- The alert notification names ------------------------------------------

TEST(PreferenceAlertListTest, SharedNameIsOneRowNamingBothAlerts)
{
    ScratchDirectory folder;
    const QString path = QString::fromStdString(folder.file("Alerts.plist").string());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>GPSOffline</key><dict><key>AlertTitle</key><string>GPS Offline</string>
  <key>AlertNotificationName</key><string>GPS Connection</string></dict>
<key>CourseReversal</key><dict><key>AlertTitle</key><string>Course Reversal</string>
  <key>AlertNotificationName</key><string>Course</string></dict>
<key>GPSOnline</key><dict><key>AlertNotificationName</key><string>GPS Connection</string></dict>
</dict></plist>)");
    file.close();
    PreferenceHarness harness({}, path);
    const auto& list = harness.control<QTreeWidget>("alertNotificationList");
    ASSERT_EQ(list.topLevelItemCount(), 2);
    EXPECT_EQ(list.topLevelItem(0)->text(0), QStringLiteral("GPS Connection"));
    // An entry without a title is named by its key.
    EXPECT_EQ(list.topLevelItem(0)->text(1), QStringLiteral("GPS Offline, GPSOnline"));
    EXPECT_EQ(list.topLevelItem(1)->text(0), QStringLiteral("Course"));
}

TEST(PreferenceAlertListTest, UnreadableTableSaysSo)
{
    PreferenceHarness harness({}, QStringLiteral("/nonexistent/Alerts.plist"));
    const auto& list = harness.control<QTreeWidget>("alertNotificationList");
    ASSERT_EQ(list.topLevelItemCount(), 1);
    EXPECT_EQ(list.topLevelItem(0)->text(1), QStringLiteral("The alert table could not be read"));
}

// --- The window's frame ------------------------------------------------------

TEST(PreferenceFrameTest, PositionIsKeptUnderPrefWindowAndRestored)
{
    MemorySettingsStore store;
    QPoint placed;
    {
        PreferenceHarness first;
        QWidget& window = first.controller().window();
        // Down only: the window is wider than the test's screen and keeps to
        // its left edge; a place within the screen is kept as it was.
        window.move(window.pos() + QPoint(0, 21));
        placed = window.pos();
        window.close();
        ASSERT_TRUE(first.store().contains("PrefWindow"));
        store.setValue("PrefWindow", first.store().value("PrefWindow"));
    }
    PreferenceHarness second({{"PrefWindow", store.value("PrefWindow")}});
    EXPECT_EQ(second.controller().window().pos(), placed);
}

TEST(PreferenceFrameTest, UnreadableSavedFrameIsLoggedAndIgnored)
{
    LogCapture log;
    PreferenceHarness harness({{"PrefWindow", QStringLiteral("left of the screen")}});
    EXPECT_TRUE(
        log.contains("Saved frame of the preferences window \"PrefWindow\" cannot be read - default position used"));
    EXPECT_TRUE(harness.controller().window().isVisible());
}

TEST(PreferenceFrameTest, AFramePartlyOffTheScreenOpensWholeOnIt)
{
    PreferenceHarness harness;
    QWidget& window = harness.controller().window();
    const QRect area = window.screen()->availableGeometry();
    window.hide();
    window.move(area.left(), area.bottom() - 30);
    harness.controller().showWindow();
    EXPECT_EQ(window.frameGeometry().left(), area.left());
    EXPECT_EQ(window.frameGeometry().bottom(), area.bottom());
}

// --- Closing -------------------------------------------------------------------

TEST(PreferenceClosingTest, TheCloseButtonAndEscapeCloseTheWindow)
{
    PreferenceHarness harness;
    QWidget& window = harness.controller().window();
    struct Row {
        const char* how;
        std::function<void()> close;
    };
    const Row rows[] = {
        {"Close", [&] { harness.control<QDialogButtonBox>("closeButtons").button(QDialogButtonBox::Close)->click(); }},
        {"Escape in a field", [&] { QTest::keyClick(&harness.control<QLineEdit>("serverBox"), Qt::Key_Escape); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.how);
        harness.controller().showWindow();
        QApplication::setActiveWindow(&window);
        harness.control<QLineEdit>("serverBox").setFocus();
        ASSERT_TRUE(window.isVisible());
        row.close();
        EXPECT_FALSE(window.isVisible());
    }
}

// --- The colour dialog -------------------------------------------------------

// Answers the colour dialog that the well opens, once it is up.
void answerColourDialog(const std::optional<QColor>& colour)
{
    QTimer::singleShot(0, [colour] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->testOption(QColorDialog::ShowAlphaChannel));
        if (!colour) {
            dialog->reject();
            return;
        }
        dialog->setCurrentColor(*colour);
        dialog->accept();
    });
}

TEST(PreferenceColourDialogTest, OpaqueChoiceIsStoredAtEightyPercent)
{
    PreferenceHarness harness;
    answerColourDialog(QColor(0, 0, 255));
    harness.click("routeColourWell");
    const RouteColour expected{0.0, 0.0, 1.0, 0.8};
    EXPECT_EQ(harness.settings().colourForKey(TRVRouteColourKey), expected);
    EXPECT_EQ(harness.control<RouteColourWell>("routeColourWell").colour(), expected);
    ASSERT_EQ(harness.posts().size(), 1u);
    EXPECT_EQ(harness.posts()[0].name, "TRVRouteColourChanged");
    EXPECT_EQ(harness.posts()[0].object.controlState()->colour, expected);
}

TEST(PreferenceColourDialogTest, CancelChangesNothing)
{
    PreferenceHarness harness;
    answerColourDialog(std::nullopt);
    harness.click("routeColourWell");
    EXPECT_FALSE(harness.store().contains(TRVRouteColourKey));
    EXPECT_EQ(harness.control<RouteColourWell>("routeColourWell").colour(), RouteColour::routeDefault());
    EXPECT_TRUE(harness.posts().empty());
}

} // namespace
} // namespace navora::test
