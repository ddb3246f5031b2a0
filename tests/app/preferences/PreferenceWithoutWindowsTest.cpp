#include "app/preferences/PreferenceController.h"
#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/Settings.h"
#include "support/LogCapture.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace navora::test {
namespace {

// Without a widget application (the headless mode runs on QCoreApplication)
// no window can be made: the controller says so instead of aborting.
TEST(PreferenceWithoutWindowsTest, CreateLogsAndGivesNoController)
{
    static int argc = 1;
    static char name[] = "navora_preferences_headless_tests";
    static char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    MemorySettingsStore store;
    Settings settings(store);
    NotificationCenter center;
    LogCapture log;
    EXPECT_EQ(PreferenceController::create(settings, center), nullptr);
    EXPECT_TRUE(log.contains("Error occurred init-ing prefs window"));
}

} // namespace
} // namespace navora::test
