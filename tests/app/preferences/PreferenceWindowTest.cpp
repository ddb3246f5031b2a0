#include "app/preferences/PreferenceHarness.h"

#include "alerts/AlertController.h"
#include "alerts/AlertTable.h"
#include "app/preferences/RouteColourWell.h"
#include "core/SettingsKeys.h"
#include "support/LogCapture.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace navora::test {
namespace {

// --- The layout --------------------------------------------------------------

struct MatrixCase {
    const char* matrix;
    std::vector<const char*> buttons; // in the order of their row or column
};

class PreferenceMatrixTest : public testing::TestWithParam<MatrixCase> { };

TEST_P(PreferenceMatrixTest, ButtonsAreNumberedInOrderAndExclusive)
{
    PreferenceHarness harness;
    const auto& buttons = GetParam().buttons;
    QButtonGroup* group = harness.control<QRadioButton>(buttons.front()).group();
    ASSERT_NE(group, nullptr);
    EXPECT_TRUE(group->exclusive());
    EXPECT_EQ(group->buttons().size(), static_cast<qsizetype>(buttons.size()));
    for (size_t i = 0; i < buttons.size(); ++i) {
        auto& button = harness.control<QRadioButton>(buttons[i]);
        EXPECT_EQ(group->id(&button), static_cast<int>(i)) << buttons[i];
        EXPECT_TRUE(harness.control<QWidget>(GetParam().matrix).isAncestorOf(&button)) << buttons[i];
    }
}

INSTANTIATE_TEST_SUITE_P(Matrices, PreferenceMatrixTest,
    testing::Values(MatrixCase{"unitChoice", {"unitNautical", "unitMetric", "unitImperial", "unitSI"}},
        MatrixCase{"gpsdProtocol", {"protocolNMEA", "protocolBinary"}},
        MatrixCase{"wpSpeechOption", {"speakName", "speakComment"}}),
    [](const testing::TestParamInfo<MatrixCase>& row) { return std::string(row.param.matrix); });

TEST(PreferenceTagTest, SpeechCheckBoxAloneCarriesTagThree)
{
    PreferenceHarness harness;
    EXPECT_EQ(harness.control<QWidget>("speechCheck").property("tag").toInt(), PreferenceController::speechCheckTag);
    EXPECT_NE(harness.control<QWidget>("wpSpeechOption").property("tag").toInt(), PreferenceController::speechCheckTag);
}

// The window reads as six groups side by side or stacked, none covering
// another, every control inside the window.
TEST(PreferenceWindowLookTest, GroupsAreTitledAndDoNotOverlap)
{
    PreferenceHarness harness({{TRVSpeechOnKey, true}});
    QWidget& window = harness.controller().window();
    window.adjustSize();
    const QStringList titles = {"Units", "GPSd server", "Alerts", "Speech", "Route colour", "MiniNav"};
    std::vector<QRect> areas;
    for (const QGroupBox* box : window.findChildren<QGroupBox*>()) {
        EXPECT_TRUE(titles.contains(box->title())) << box->title().toStdString();
        areas.push_back(QRect(box->mapTo(&window, QPoint(0, 0)), box->size()));
    }
    ASSERT_EQ(areas.size(), static_cast<size_t>(titles.size()));
    for (size_t i = 0; i < areas.size(); ++i) {
        EXPECT_TRUE(window.rect().contains(areas[i]));
        for (size_t j = i + 1; j < areas.size(); ++j) {
            EXPECT_FALSE(areas[i].intersects(areas[j])) << i << " and " << j;
        }
    }
    const QPixmap shot = window.grab();
    ASSERT_FALSE(shot.isNull());
    // NAVORA_SCREENSHOT_DIR keeps a picture of the window for a look by eye.
    const QString folder = qEnvironmentVariable("NAVORA_SCREENSHOT_DIR");
    if (!folder.isEmpty() && QDir().mkpath(folder)) {
        EXPECT_TRUE(shot.save(QDir(folder).filePath(QStringLiteral("prefs.png"))));
    }
}

// --- The alert notification names ------------------------------------------

TEST(PreferenceAlertListTest, ListsTheRegistrationNamesOfTheProgramsTable)
{
    PreferenceHarness harness;
    const auto& list = harness.control<QTreeWidget>("alertNotificationList");
    const std::vector<std::string> names = AlertTable::fromFile(AlertTable::defaultPath()).notificationNames();
    ASSERT_FALSE(names.empty());
    ASSERT_EQ(list.topLevelItemCount(), static_cast<int>(names.size()));
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        EXPECT_EQ(list.topLevelItem(i)->text(0).toStdString(), names[static_cast<size_t>(i)]);
}

TEST(PreferenceAlertListTest, SharedNameIsOneRowNamingBothAlerts)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Alerts.plist"));
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
        window.move(window.pos() + QPoint(37, 21));
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

// --- The receivers -----------------------------------------------------------

// The alert dispatcher follows the check boxes and the name/comment choice
// through what the window posts.
TEST(PreferenceReceiverTest, AlertDispatcherFollowsTheSpeechAndGrowlControls)
{
    PreferenceHarness harness;
    AlertController alerts(harness.settings(), harness.center(), {});
    harness.click("speechCheck");
    EXPECT_TRUE(alerts.speechOn());
    EXPECT_EQ(alerts.sayWhat(), 0);
    harness.click("speakComment");
    EXPECT_EQ(alerts.sayWhat(), 1);
    EXPECT_TRUE(alerts.speechOn());
    harness.click("growlCheck");
    EXPECT_FALSE(alerts.growlOn());
    harness.click("speechCheck");
    EXPECT_FALSE(alerts.speechOn());
    EXPECT_EQ(alerts.sayWhat(), 1);
}

} // namespace
} // namespace navora::test
