#include "support/AlertDoubles.h"

#include "alerts/AlertController.h"
#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"
#include "support/ControlStates.h"
#include "support/LogCapture.h"
#include "support/ScratchDirectory.h"

#include <gtest/gtest.h>

namespace navora {
namespace {

using test::checkBox;
using test::LogCapture;
using test::matrixColumn;
using test::PostedNotification;

class AlertControllerTest : public ::testing::Test {
protected:
    AlertControllerTest() { m_settings.registerDefaults(); }

    void store(bool growl, bool speech, int sayWhat = 0)
    {
        m_settings.setBool(TRVGrowlOnKey, growl);
        m_settings.setBool(TRVSpeechOnKey, speech);
        m_settings.setInteger(TRVSayWhatKey, sayWhat);
    }

    std::unique_ptr<AlertController> make(bool withSynthesizer = true, const QString& table = AlertTable::defaultPath())
    {
        auto notifier = std::make_unique<test::RecordingNotifier>();
        auto synthesizer = withSynthesizer ? std::make_unique<test::ScriptedSynthesizer>() : nullptr;
        auto beeper = std::make_unique<test::CountingBeeper>();
        m_notifier = notifier.get();
        m_synthesizer = synthesizer.get();
        m_beeper = beeper.get();
        return std::make_unique<AlertController>(m_settings, m_center,
            AlertController::Services{std::move(notifier), std::move(synthesizer), std::move(beeper)}, table);
    }

    QString writeTable(const std::string& dictBody)
    {
        return QString::fromStdString(m_dir.write("Alerts.plist",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + dictBody
                + "</dict></plist>\n"));
    }

    MemorySettingsStore m_store;
    Settings m_settings{m_store};
    NotificationCenter m_center;
    test::ScratchDirectory m_dir;
    test::RecordingNotifier* m_notifier = nullptr;
    test::ScriptedSynthesizer* m_synthesizer = nullptr;
    test::CountingBeeper* m_beeper = nullptr;
};

// An alert posts its entry's title, name, priority and stickiness with the
// entry's text, or the caller's, and speaks the entry's speech or the
// caller's; a key the table lacks has only the caller's texts.
TEST_F(AlertControllerTest, AlertPostsAndSpeaksTheEntryOrTheCallersTexts)
{
    store(true, true);
    auto alerts = make(true, writeTable(R"(
        <key>GPSOffline</key><dict><key>AlertTitle</key><string>GPS Offline</string>
          <key>AlertDescription</key><string>The GPS went away</string>
          <key>AlertNotificationName</key><string>GPS Connection</string>
          <key>AlertPriority</key><integer>2</integer><key>AlertSticky</key><true/>
          <key>AlertSpeech</key><string>GPS offline</string></dict>
        <key>CourseReversal</key><dict><key>AlertTitle</key><string>Course Reversal</string>
          <key>AlertNotificationName</key><string>Course</string>
          <key>AlertPriority</key><integer>-1</integer><key>AlertSticky</key><false/></dict>)"));
    // Description and speech given by the caller, or none: the table's.
    const std::pair<std::string, std::optional<std::pair<std::string, std::string>>> alertsRaised[] = {
        {"GPSOffline", {}}, {"GPSOffline", {{"Lost at Buoy 7", "Buoy 7"}}}, {"CourseReversal", {}},
        {"DestinationArrival", {{"Arrived at Harbour", "Harbour"}}},
        {"DestinationArrival", {}}, // no title and no text: nothing to show or say
    };
    for (const auto& [key, texts] : alertsRaised)
        texts ? alerts->alertAllForKey(key, texts->first, texts->second) : alerts->alertAllForKey(key);
    EXPECT_EQ(m_notifier->posted(),
        (std::vector<PostedNotification>{{"GPS Offline", "The GPS went away", "GPS Connection", 2, true},
            {"GPS Offline", "Lost at Buoy 7", "GPS Connection", 2, true}, {"Course Reversal", "", "Course", -1, false},
            {"", "Arrived at Harbour", "", 0, false}}));
    EXPECT_EQ(m_synthesizer->requested(), (std::vector<std::string>{"GPS offline", "Buoy 7", "Harbour"}));
}

// The controller starts from the stored settings; their changes take
// effect at the next alert.
TEST_F(AlertControllerTest, PreferenceChangesTakeEffectAtTheNextAlert)
{
    store(false, false, 1);
    auto alerts = make();
    EXPECT_EQ(alerts->sayWhat(), 1);
    const struct {
        std::string_view name;
        ControlState control;
        size_t postedAfter;
        size_t spokenAfter;
    } steps[] = {
        {"", {}, 0, 0},
        {TRVSpeechChanged, checkBox(3, true), 0, 1},
        {TRVGrowlChanged, checkBox(0, true), 1, 2},
        {TRVSpeechChanged, checkBox(3, false), 2, 2},
        {TRVGrowlChanged, checkBox(0, false), 2, 2},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.postedAfter * 10 + step.spokenAfter);
        if (!step.name.empty())
            m_center.post(step.name, step.control);
        alerts->alertAllForKey("GPSOnline");
        EXPECT_EQ(m_notifier->posted().size(), step.postedAfter);
        EXPECT_EQ(m_synthesizer->requested().size(), step.spokenAfter);
    }
    EXPECT_FALSE(m_settings.boolForKey(TRVGrowlOnKey)) << "the dispatcher never writes the settings";
    EXPECT_FALSE(m_settings.boolForKey(TRVSpeechOnKey));
}

TEST_F(AlertControllerTest, SpeechChangeTellsTheTwoControlsApartAndLogsBothValues)
{
    auto alerts = make();
    const struct {
        ControlState control;
        bool speechOn;
        int sayWhat;
        const char* line;
    } steps[] = {
        {checkBox(3, true), true, 0, "Speech On, speaking names"},
        {matrixColumn(4, 1), true, 1, "Speech On, speaking comments"},
        {ControlState{.tag = 3, .selectedColumn = 0, .colour = {}}, false, 1,
            "Speech Off, speaking comments"}, // column ignored
        {ControlState{.state = true, .selectedColumn = 0, .colour = {}}, false, 0,
            "Speech Off, speaking names"}, // state ignored
        {matrixColumn(7, 2), false, 2, "Speech Off, speaking names"}, // another column logs names
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.line);
        LogCapture log;
        m_center.post(TRVSpeechChanged, step.control);
        EXPECT_EQ(alerts->speechOn(), step.speechOn);
        EXPECT_EQ(alerts->sayWhat(), step.sayWhat);
        EXPECT_EQ(log.lines(), std::vector<std::string>{step.line});
    }
    EXPECT_TRUE(alerts->growlOn());
}

// Change notifications without a control are logged and ignored; once the
// controller is gone it observes nothing.
TEST_F(AlertControllerTest, ChangeNotificationsWithoutAControlAreLoggedAndIgnored)
{
    auto alerts = make();
    LogCapture log;
    for (const NotificationObject& object : {NotificationObject(), NotificationObject(1.0)}) {
        m_center.post(TRVGrowlChanged, object);
        m_center.post(TRVSpeechChanged, object);
    }
    m_center.post(TRVSpeechChanged, matrixColumn(0, -1)); // a choice without a selection
    EXPECT_EQ(log.lines().size(), 5U);
    EXPECT_TRUE(alerts->growlOn());
    EXPECT_FALSE(alerts->speechOn());
    EXPECT_EQ(alerts->sayWhat(), 0);
    alerts.reset();
    EXPECT_EQ(m_center.observerCount(TRVGrowlChanged), 0U);
    EXPECT_EQ(m_center.observerCount(TRVSpeechChanged), 0U);
}

TEST_F(AlertControllerTest, SpeechFailuresAreLoggedAfterTheNotificationIsPosted)
{
    store(true, true);
    const struct {
        bool synthesizer;
        bool refuses;
        std::string speech;
        std::vector<std::string> lines;
        size_t requested;
    } cases[] = {
        {false, false, "Buoy 7", {"no speech synthesizer initialised", "failed to start speaking"}, 0},
        {true, true, "Buoy 7", {"failed to start speaking"}, 1},
        {false, false, "", {}, 0},
        {true, false, "", {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.synthesizer) + c.speech);
        auto alerts = make(c.synthesizer);
        if (m_synthesizer)
            m_synthesizer->setRefuses(c.refuses);
        LogCapture log;
        alerts->alertAllForKey("WaypointPassage", "Passed Buoy 7", c.speech);
        EXPECT_EQ(log.lines(), c.lines);
        EXPECT_EQ(m_notifier->posted().size(), 1U);
        if (m_synthesizer) {
            EXPECT_EQ(m_synthesizer->requested().size(), c.requested);
        }
    }
}

TEST_F(AlertControllerTest, BeepIsSilentOnlyWhileSpeaking)
{
    store(false, false);
    auto alerts = make();
    alerts->approachingBeep();
    EXPECT_EQ(m_beeper->beeps(), 1) << "the settings do not silence the beep";
    m_synthesizer->setSpeaking(true);
    alerts->approachingBeep();
    EXPECT_EQ(m_beeper->beeps(), 1);
    m_synthesizer->setSpeaking(false);
    alerts->approachingBeep();
    EXPECT_EQ(m_beeper->beeps(), 2);
    auto withoutSynthesizer = make(false);
    withoutSynthesizer->approachingBeep();
    EXPECT_EQ(m_beeper->beeps(), 1);
}

// Registered once, with the distinct notification names in table order.
TEST_F(AlertControllerTest, RegistersOnceWithTheDistinctNotificationNames)
{
    auto alerts = make(true, writeTable(R"(
        <key>Zulu</key><dict><key>AlertNotificationName</key><string>Fix</string></dict>
        <key>Alpha</key><dict><key>AlertNotificationName</key><string>Arrival</string></dict>
        <key>Mike</key><dict><key>AlertNotificationName</key><string>Fix</string></dict>
        <key>Nameless</key><dict><key>AlertTitle</key><string>No name</string></dict>
        <key>Bravo</key><dict><key>AlertNotificationName</key><string>fix</string></dict>)"));
    const std::vector<std::string> names = {"Fix", "Arrival", "fix"};
    const AlertController::RegistrationDictionary expected
        = {{"AllNotifications", names}, {"DefaultNotifications", names}};
    EXPECT_EQ(alerts->registrationDictionaryForGrowl(), expected);
    EXPECT_EQ(m_notifier->registration(), (test::Registration{"Navora", names, names}));
}

} // namespace
} // namespace navora
