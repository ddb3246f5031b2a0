#include "support/AlertDoubles.h"
#include "support/ControlStates.h"

#include "alerts/AlertController.h"
#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"
#include "core/Settings.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace navora {
namespace {

// The GPS thread raises alerts and beeps while the preferences window
// switches the settings on the user-interface thread. (The same from a
// thread to a real bus is in the D-Bus tests: libdbus and QtDBus are not
// built for the thread sanitizer, whose reports on them would drown ours.)
TEST(AlertThreadTest, SettingsChangeWhileTheGPSThreadRaisesAlerts)
{
    MemorySettingsStore store;
    Settings settings(store);
    settings.registerDefaults();
    NotificationCenter center;
    auto notifier = std::make_unique<test::RecordingNotifier>();
    auto synthesizer = std::make_unique<test::ScriptedSynthesizer>();
    auto beeper = std::make_unique<test::CountingBeeper>();
    test::RecordingNotifier& posted = *notifier;
    test::ScriptedSynthesizer& spoken = *synthesizer;
    test::CountingBeeper& beeps = *beeper;
    AlertController alerts(
        settings, center, {std::move(notifier), std::move(synthesizer), std::move(beeper)}, AlertTable::defaultPath());
    test::LogCapture log; // the change handlers' lines

    std::atomic<bool> stop = false;
    std::thread gps([&] {
        do {
            alerts.alertAllForKey("GPSModeUp3D");
            alerts.alertAllForKey("WaypointArrival", "Buoy", alerts.sayWhat() == 0 ? "name" : "comment");
            alerts.approachingBeep();
        } while (!stop);
    });
    for (int i = 0; i < 200; ++i) {
        center.post(TRVGrowlChanged, test::checkBox(0, i % 2 == 0));
        center.post(TRVSpeechChanged, test::checkBox(3, i % 3 == 0));
        ControlState column;
        column.tag = 1;
        column.selectedColumn = i % 2;
        center.post(TRVSpeechChanged, column);
        spoken.setSpeaking(i % 4 == 0);
    }
    // Everything off, then the next alerts produce nothing.
    center.post(TRVGrowlChanged, test::checkBox(0, false));
    center.post(TRVSpeechChanged, test::checkBox(3, false));
    stop = true;
    gps.join();

    const size_t postedBefore = posted.posted().size();
    const size_t spokenBefore = spoken.requested().size();
    alerts.alertAllForKey("GPSOffline");
    EXPECT_EQ(posted.posted().size(), postedBefore);
    EXPECT_EQ(spoken.requested().size(), spokenBefore);
    spoken.setSpeaking(false);
    const int beepsBefore = beeps.beeps();
    alerts.approachingBeep();
    EXPECT_EQ(beeps.beeps(), beepsBefore + 1);
}

} // namespace
} // namespace navora
