#include "app/preferences/PreferenceHarness.h"

#include "alerts/AlertTable.h"
#include "app/preferences/RouteColourWell.h"
#include "core/SettingsKeys.h"
#include "support/LogCapture.h"
#include "support/ScratchDirectory.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

#include <gtest/gtest.h>

namespace navora::test {
namespace {

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
