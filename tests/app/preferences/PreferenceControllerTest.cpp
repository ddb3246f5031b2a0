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
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>

#include <gtest/gtest.h>

namespace navora::test {
namespace {

using StoredValues = std::vector<std::pair<std::string_view, QVariant>>;

// One preferences window, shown, on settings of its own (defaults registered,
// then the given values stored), with every notification it posts recorded.
struct PreferenceHarness {
    explicit PreferenceHarness(const StoredValues& stored = {}, const QString& table = AlertTable::defaultPath())
    {
        ensureWidgetApplication();
        settings.registerDefaults();
        for (const auto& [key, value] : stored)
            store.setValue(key, value);
        controller = std::make_unique<PreferenceController>(settings, center, nullptr, table);
        controller->showWindow();
        QApplication::setActiveWindow(&controller->window());
    }

    QWidget& window() { return controller->window(); }
    const std::vector<PostRecorder::Post>& posts() const { return recorder.posts; }
    std::map<std::string, QVariant> storedValues() const
    {
        std::map<std::string, QVariant> values;
        for (const std::string& key : store.keys())
            values[key] = store.value(key);
        return values;
    }
    // The window's control with that objectName.
    template <typename Widget> Widget& control(const char* name)
    {
        if (auto* widget = window().findChild<Widget*>(QString::fromLatin1(name)))
            return *widget;
        throw std::runtime_error(std::string("no control ") + name);
    }
    // Empties a line edit as the user would, then types text and presses
    // Return, or (no text) moves the focus away.
    void type(const char* field, const std::optional<QString>& text)
    {
        auto& edit = control<QLineEdit>(field);
        edit.setFocus();
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_Delete);
        if (!text)
            return control<QWidget>("growlCheck").setFocus();
        QTest::keyClicks(&edit, *text);
        QTest::keyClick(&edit, Qt::Key_Return);
    }
    // Near the left edge: a stretched check box answers only on its indicator and text.
    void click(const char* button)
    {
        auto& target = control<QAbstractButton>(button);
        QTest::mouseClick(&target, Qt::LeftButton, {}, QPoint(6, target.height() / 2));
    }

    MemorySettingsStore store;
    Settings settings{store};
    NotificationCenter center;
    PostRecorder recorder{center, {std::begin(allNotificationNames), std::end(allNotificationNames)}};
    std::unique_ptr<PreferenceController> controller;
};

template <typename Row> std::string rowName(const testing::TestParamInfo<Row>& row)
{
    return row.param.name;
}

struct LoadCase {
    const char* name;
    StoredValues stored;
    QString server, port, arrival;
    const char* unitButton;
    bool speech;
    const char* speechButton;
    const char* protocolButton;
    RouteColour colour;
    bool growl, mnFloat;
};

class PreferenceLoadTest : public testing::TestWithParam<LoadCase> { };

TEST_P(PreferenceLoadTest, FillsEveryControlFromTheSettings)
{
    const LoadCase& c = GetParam();
    PreferenceHarness h(c.stored);
    EXPECT_EQ(h.control<QLineEdit>("serverBox").text(), c.server);
    EXPECT_EQ(h.control<QLineEdit>("portBox").text(), c.port);
    EXPECT_EQ(h.control<QLineEdit>("arrivalTiming").text(), c.arrival);
    EXPECT_TRUE(h.control<QRadioButton>(c.unitButton).isChecked());
    EXPECT_EQ(h.control<QCheckBox>("speechCheck").isChecked(), c.speech);
    EXPECT_EQ(h.control<QWidget>("wpSpeechPrompt").isVisible(), c.speech);
    EXPECT_EQ(h.control<QWidget>("wpSpeechOption").isVisible(), c.speech);
    EXPECT_TRUE(h.control<QRadioButton>(c.speechButton).isChecked());
    EXPECT_TRUE(h.control<QRadioButton>(c.protocolButton).isChecked());
    EXPECT_EQ(h.control<RouteColourWell>("routeColourWell").colour(), c.colour);
    EXPECT_EQ(h.control<QCheckBox>("growlCheck").isChecked(), c.growl);
    EXPECT_EQ(h.control<QCheckBox>("mnFloatCheck").isChecked(), c.mnFloat);
    // Filling the window is no change of setting.
    EXPECT_TRUE(h.posts().empty());
    EXPECT_EQ(h.store.keys().size(), c.stored.size());
}

const RouteColour magenta = RouteColour::routeDefault();

INSTANTIATE_TEST_SUITE_P(Stored, PreferenceLoadTest,
    testing::Values(LoadCase{"defaults", {}, "localhost", "2947", "15", "unitNautical", false, "speakName",
                        "protocolNMEA", magenta, true, true},
        LoadCase{"chosen",
            {{TRVUnitsKey, int('i')}, {TRVgpsdServerKey, "gpsbox.lan"}, {TRVgpsdPortKey, "3001"},
                {TRVArrivalAlertKey, 42}, {TRVSpeechOnKey, true}, {TRVSayWhatKey, 1}, {TRVProtocolKey, 1},
                {TRVRouteColourKey, "0.25 0.5 0.75 0.5"}, {TRVGrowlOnKey, false}, {TRVFloatMiniKey, false}},
            "gpsbox.lan", "3001", "42", "unitImperial", true, "speakComment", "protocolBinary",
            RouteColour{0.25, 0.5, 0.75, 0.5}, false, false},
        LoadCase{"metric", {{TRVUnitsKey, int('m')}}, "localhost", "2947", "15", "unitMetric", false, "speakName",
            "protocolNMEA", magenta, true, true},
        LoadCase{"SI", {{TRVUnitsKey, int('s')}}, "localhost", "2947", "15", "unitSI", false, "speakName",
            "protocolNMEA", magenta, true, true}),
    rowName<LoadCase>);

struct ActionCase {
    const char* name;
    StoredValues stored;
    std::function<void(PreferenceHarness&)> gesture;
    std::map<std::string, QVariant> changed; // the keys that change, with their new values
    std::vector<PostRecorder::Post> posts;
};

class PreferenceActionTest : public testing::TestWithParam<ActionCase> { };

TEST_P(PreferenceActionTest, StoresTheChangeAndPostsItsNotification)
{
    const ActionCase& c = GetParam();
    PreferenceHarness h(c.stored);
    const auto before = h.storedValues();
    c.gesture(h);
    std::map<std::string, QVariant> changed;
    for (const auto& [key, value] : h.storedValues()) {
        if (!before.count(key) || before.at(key) != value)
            changed[key] = value;
    }
    EXPECT_EQ(changed, c.changed);
    ASSERT_EQ(h.posts().size(), c.posts.size());
    for (size_t i = 0; i < c.posts.size(); ++i) {
        EXPECT_EQ(h.posts()[i].name, c.posts[i].name);
        EXPECT_TRUE(h.posts()[i].object.value() == c.posts[i].object.value()) << h.posts()[i].name;
    }
    // The waypoint speech choice is shown only while speech is on.
    EXPECT_EQ(h.control<QWidget>("wpSpeechPrompt").isVisible(), h.settings.boolForKey(TRVSpeechOnKey));
    EXPECT_EQ(h.control<QWidget>("wpSpeechOption").isVisible(), h.settings.boolForKey(TRVSpeechOnKey));
}

auto clickOn(const char* button)
{
    return [button](PreferenceHarness& h) { h.click(button); };
}

auto typeIn(const char* field, const char* text)
{
    return [=](PreferenceHarness& h) { h.type(field, QString::fromLatin1(text)); };
}

// Edits the fields without applying them, then does the rest.
auto setFields(const char* server, const char* port, std::function<void(PreferenceHarness&)> then)
{
    return [=](PreferenceHarness& h) {
        if (server)
            h.control<QLineEdit>("serverBox").setText(QString::fromLatin1(server));
        if (port)
            h.control<QLineEdit>("portBox").setText(QString::fromLatin1(port));
        then(h);
    };
}

const StoredValues speechOn = {{TRVSpeechOnKey, true}};
const PostRecorder::Post serverPort{"TRVServerPortChanged", ControlState{}};

INSTANTIATE_TEST_SUITE_P(Gestures, PreferenceActionTest,
    testing::Values(ActionCase{"unitsMetric", {}, clickOn("unitMetric"), {{"Units", int('m')}},
                        {{"TRVUnitsChanged", matrixRow(1)}}},
        ActionCase{
            "unitsImperial", {}, clickOn("unitImperial"), {{"Units", int('i')}}, {{"TRVUnitsChanged", matrixRow(2)}}},
        ActionCase{"unitsSI", {}, clickOn("unitSI"), {{"Units", int('s')}}, {{"TRVUnitsChanged", matrixRow(3)}}},
        ActionCase{"unitsNautical", {{TRVUnitsKey, int('s')}}, clickOn("unitNautical"), {{"Units", int('n')}},
            {{"TRVUnitsChanged", matrixRow(0)}}},
        ActionCase{"applyButton", {}, setFields("127.0.0.2", " 3001 ", clickOn("applyServerPort")),
            {{"GPSd port", "3001"}, {"GPSd server", "127.0.0.2"}}, {serverPort}},
        ActionCase{"returnInPort", {}, setFields("gpsbox.lan", nullptr, typeIn("portBox", "2948")),
            {{"GPSd port", "2948"}, {"GPSd server", "gpsbox.lan"}}, {serverPort}},
        ActionCase{"returnInEmptiedServer", {{TRVgpsdServerKey, "gpsbox.lan"}}, typeIn("serverBox", ""),
            {{"GPSd port", "2947"}, {"GPSd server", "localhost"}}, {serverPort}},
        ActionCase{"arrivalTime", {}, typeIn("arrivalTiming", "30"), {{"Alert seconds before arrival", 30}},
            {{"TRVArrivalAlertChanged", 30.0}}},
        ActionCase{"arrivalTimeZero", {}, typeIn("arrivalTiming", " 0 "), {{"Alert seconds before arrival", 0}},
            {{"TRVArrivalAlertChanged", 0.0}}},
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
                h.controller->setRouteColour();
            },
            {{"Route colour", "0 0.5 1 0.5"}}, {{"TRVRouteColourChanged", colourWell({0.0, 0.5, 1.0, 0.5})}}},
        ActionCase{"protocolBinary", {}, clickOn("protocolBinary"), {{"GPSd protocol", 1}}, {}},
        // An emptied field is refilled with its default, nothing applied.
        ActionCase{"emptiedServer", {{TRVgpsdServerKey, "gpsbox.lan"}},
            [](PreferenceHarness& h) {
                h.type("serverBox", std::nullopt);
                EXPECT_EQ(h.control<QLineEdit>("serverBox").text(), "localhost");
            },
            {}, {}},
        ActionCase{"emptiedPort", {{TRVgpsdPortKey, "3001"}},
            [](PreferenceHarness& h) {
                h.type("portBox", std::nullopt);
                EXPECT_EQ(h.control<QLineEdit>("portBox").text(), "2947");
            },
            {}, {}},
        // An edited field left without applying, another left unchanged.
        ActionCase{"leftFields", {},
            [](PreferenceHarness& h) {
                auto& server = h.control<QLineEdit>("serverBox");
                server.setFocus();
                QTest::keyClicks(&server, ".lan");
                h.control<QLineEdit>("arrivalTiming").setFocus();
                h.control<QWidget>("growlCheck").setFocus();
                EXPECT_EQ(server.text(), "localhost.lan");
            },
            {}, {}}),
    rowName<ActionCase>);

struct BadEndpointCase {
    const char* name;
    const char* server;
    const char* port;
    std::string message; // before " - server and port not applied"
};

class PreferenceBadEndpointTest : public testing::TestWithParam<BadEndpointCase> { };

TEST_P(PreferenceBadEndpointTest, IsToldAndNeitherIsApplied)
{
    const BadEndpointCase& c = GetParam();
    PreferenceHarness h;
    LogCapture log;
    setFields(c.server, c.port, clickOn("applyServerPort"))(h);
    const std::string message = c.message + " - server and port not applied";
    EXPECT_TRUE(log.contains(message)) << testing::PrintToString(log.lines());
    EXPECT_EQ(h.control<QLabel>("prefMessage").text().toStdString(), message);
    EXPECT_TRUE(h.store.keys().empty());
    EXPECT_TRUE(h.posts().empty());
    // What the user typed stays there to be corrected.
    EXPECT_EQ(h.control<QLineEdit>("portBox").text(), QString::fromLatin1(c.port));
}

INSTANTIATE_TEST_SUITE_P(Typed, PreferenceBadEndpointTest,
    testing::Values(
        BadEndpointCase{"letters", "localhost", "gpsd", R"(GPSd port "gpsd" is not a port number from 1 to 65535)"},
        BadEndpointCase{"tooLarge", "localhost", "70000", R"(GPSd port "70000" is not a port number from 1 to 65535)"},
        BadEndpointCase{"zero", "localhost", "0", R"(GPSd port "0" is not a port number from 1 to 65535)"},
        BadEndpointCase{"blankInServer", "gps box", "2947", R"(GPSd server "gps box" is not a host name or address)"}),
    rowName<BadEndpointCase>);

class PreferenceBadArrivalTest : public testing::TestWithParam<const char*> { };

TEST_P(PreferenceBadArrivalTest, KeepsTheLastGoodValue)
{
    PreferenceHarness h({{TRVArrivalAlertKey, 42}});
    LogCapture log;
    h.type("arrivalTiming", QString::fromUtf8(GetParam()));
    const std::string message = std::string("Alert time \"") + GetParam()
        + "\" is not a whole number of seconds from 0 to 86400 - keeping 42 seconds";
    EXPECT_TRUE(log.contains(message)) << testing::PrintToString(log.lines());
    EXPECT_EQ(h.control<QLabel>("prefMessage").text().toStdString(), message);
    EXPECT_EQ(h.control<QLineEdit>("arrivalTiming").text(), "42");
    EXPECT_EQ(h.settings.integerForKey(TRVArrivalAlertKey), 42);
    EXPECT_TRUE(h.posts().empty());
    // A good value afterwards is taken and the message goes.
    h.type("arrivalTiming", "20");
    EXPECT_EQ(h.settings.integerForKey(TRVArrivalAlertKey), 20);
    EXPECT_TRUE(h.control<QLabel>("prefMessage").text().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Typed, PreferenceBadArrivalTest,
    testing::Values("abc", "12.5", "-3", "15s", "", "86401", "99999999999", "1e3", "0x10"));

TEST(PreferenceUnitsTest, UnknownStoredUnitsSelectNoRowAndTheActionStoresNothing)
{
    LogCapture log;
    PreferenceHarness h({{TRVUnitsKey, int('x')}});
    EXPECT_TRUE(log.contains("Stored units 120 are none of n, m, i, s - no unit row selected"));
    EXPECT_EQ(h.control<QRadioButton>("unitNautical").group()->checkedButton(), nullptr);
    h.controller->selectUnit();
    EXPECT_TRUE(log.contains("Unknown units - row -1 - selected"));
    EXPECT_EQ(h.settings.integerForKey(TRVUnitsKey), int('x'));
    EXPECT_TRUE(h.posts().empty());
}

// With a widget application (the harness's) a window can be made.
TEST(PreferenceCreateTest, GivesAControllerUnderAWidgetApplication)
{
    PreferenceHarness h;
    EXPECT_NE(PreferenceController::create(h.settings, h.center), nullptr);
}

TEST(PreferenceAlertListTest, SharedNameIsOneRowNamingBothAlertsAndAnUnreadableTableSaysSo)
{
    ScratchDirectory folder;
    const std::string path = folder.write("Alerts.plist", R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>GPSOffline</key><dict><key>AlertTitle</key><string>GPS Offline</string>
  <key>AlertNotificationName</key><string>GPS Connection</string></dict>
<key>CourseReversal</key><dict><key>AlertTitle</key><string>Course Reversal</string>
  <key>AlertNotificationName</key><string>Course</string></dict>
<key>GPSOnline</key><dict><key>AlertNotificationName</key><string>GPS Connection</string></dict>
</dict></plist>)");
    PreferenceHarness h({}, QString::fromStdString(path));
    const auto& list = h.control<QTreeWidget>("alertNotificationList");
    ASSERT_EQ(list.topLevelItemCount(), 2);
    EXPECT_EQ(list.topLevelItem(0)->text(0), "GPS Connection");
    // An entry without a title is named by its key.
    EXPECT_EQ(list.topLevelItem(0)->text(1), "GPS Offline, GPSOnline");
    EXPECT_EQ(list.topLevelItem(1)->text(0), "Course");

    PreferenceHarness unreadable({}, "/nonexistent/Alerts.plist");
    const auto& none = unreadable.control<QTreeWidget>("alertNotificationList");
    ASSERT_EQ(none.topLevelItemCount(), 1);
    EXPECT_EQ(none.topLevelItem(0)->text(1), "The alert table could not be read");
}

TEST(PreferenceFrameTest, PositionIsKeptUnderPrefWindowAndRestored)
{
    QPoint placed;
    QVariant saved;
    {
        PreferenceHarness first;
        // Down only: the window is wider than the test's screen and keeps to
        // its left edge; a place within the screen is kept as it was.
        first.window().move(first.window().pos() + QPoint(0, 21));
        placed = first.window().pos();
        first.window().close();
        saved = first.store.value("PrefWindow");
    }
    ASSERT_TRUE(saved.isValid());
    PreferenceHarness second({{"PrefWindow", saved}});
    EXPECT_EQ(second.window().pos(), placed);

    LogCapture log;
    PreferenceHarness unreadable(StoredValues{{"PrefWindow", "left of the screen"}});
    EXPECT_TRUE(
        log.contains(R"(Saved frame of the preferences window "PrefWindow" cannot be read - default position used)"));
    EXPECT_TRUE(unreadable.window().isVisible());
}

TEST(PreferenceFrameTest, AFramePartlyOffTheScreenOpensWholeOnIt)
{
    PreferenceHarness h;
    const QRect area = h.window().screen()->availableGeometry();
    h.window().hide();
    h.window().move(area.left(), area.bottom() - 30);
    h.controller->showWindow();
    EXPECT_EQ(h.window().frameGeometry().left(), area.left());
    EXPECT_EQ(h.window().frameGeometry().bottom(), area.bottom());
}

TEST(PreferenceClosingTest, TheCloseButtonAndEscapeCloseTheWindow)
{
    PreferenceHarness h;
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"Close", [&] { h.control<QDialogButtonBox>("closeButtons").button(QDialogButtonBox::Close)->click(); }},
        {"Escape in a field", [&] { QTest::keyClick(&h.control<QLineEdit>("serverBox"), Qt::Key_Escape); }},
    };
    for (const auto& [how, close] : ways) {
        SCOPED_TRACE(how);
        h.controller->showWindow();
        QApplication::setActiveWindow(&h.window());
        h.control<QLineEdit>("serverBox").setFocus();
        ASSERT_TRUE(h.window().isVisible());
        close();
        EXPECT_FALSE(h.window().isVisible());
    }
}

// Cancelled, the colour dialog changes nothing; an opaque choice is stored at
// eighty percent.
TEST(PreferenceColourDialogTest, CancelChangesNothingAndAnOpaqueChoiceIsStoredTranslucent)
{
    PreferenceHarness h;
    for (const std::optional<QColor> answer : {std::optional<QColor>(), std::optional<QColor>(QColor(0, 0, 255))}) {
        QTimer::singleShot(0, [answer] {
            auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_TRUE(dialog->testOption(QColorDialog::ShowAlphaChannel));
            if (answer)
                dialog->setCurrentColor(*answer);
            answer ? dialog->accept() : dialog->reject();
        });
        h.click("routeColourWell");
        if (!answer) {
            EXPECT_FALSE(h.store.contains(TRVRouteColourKey));
            EXPECT_EQ(h.control<RouteColourWell>("routeColourWell").colour(), magenta);
            EXPECT_TRUE(h.posts().empty());
        }
    }
    const RouteColour expected{0.0, 0.0, 1.0, 0.8};
    EXPECT_EQ(h.settings.colourForKey(TRVRouteColourKey), expected);
    EXPECT_EQ(h.control<RouteColourWell>("routeColourWell").colour(), expected);
    ASSERT_EQ(h.posts().size(), 1u);
    EXPECT_EQ(h.posts()[0].name, "TRVRouteColourChanged");
    EXPECT_EQ(h.posts()[0].object.controlState()->colour, expected);
}

} // namespace
} // namespace navora::test
