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

#include <fstream>

namespace navora {
namespace {

using test::checkBox;
using test::CountingBeeper;
using test::LogCapture;
using test::matrixColumn;
using test::PostedNotification;
using test::RecordingNotifier;
using test::ScriptedSynthesizer;

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
        auto notifier = std::make_unique<RecordingNotifier>();
        auto synthesizer = std::make_unique<ScriptedSynthesizer>();
        auto beeper = std::make_unique<CountingBeeper>();
        m_notifier = notifier.get();
        m_synthesizer = withSynthesizer ? synthesizer.get() : nullptr;
        m_beeper = beeper.get();
        AlertController::Services services{
            std::move(notifier), withSynthesizer ? std::move(synthesizer) : nullptr, std::move(beeper)};
        return std::make_unique<AlertController>(m_settings, m_center, std::move(services), table);
    }

    QString writeTable(const std::string& dictBody)
    {
        const QString path = QString::fromStdString(m_dir.file("Alerts.plist").string());
        std::ofstream(path.toStdString(), std::ios::trunc)
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" << dictBody
            << "</dict></plist>\n";
        return path;
    }

    static AlertEntry tableEntry(const std::string& key)
    {
        return *AlertTable::fromFile(AlertTable::defaultPath()).entry(key);
    }
    static PostedNotification fromTable(const std::string& key, const std::string& description)
    {
        const AlertEntry entry = tableEntry(key);
        return {*entry.title, description, *entry.notificationName, *entry.priority, *entry.sticky};
    }

    MemorySettingsStore m_store;
    Settings m_settings{m_store};
    NotificationCenter m_center;
    test::ScratchDirectory m_dir;
    RecordingNotifier* m_notifier = nullptr;
    ScriptedSynthesizer* m_synthesizer = nullptr;
    CountingBeeper* m_beeper = nullptr;
};

TEST_F(AlertControllerTest, StartsFromTheStoredSettings)
{
    // The defaults: ChangeNotificationsWithoutAControlAreLoggedAndIgnored.
    store(false, true, 1);
    auto stored = make();
    EXPECT_FALSE(stored->growlOn());
    EXPECT_TRUE(stored->speechOn());
    EXPECT_EQ(stored->sayWhat(), 1);
}

TEST_F(AlertControllerTest, TableAlertPostsAndSpeaksTheTableTexts)
{
    store(true, true);
    auto alerts = make();
    for (const std::string key : {"GPSOffline", "TRVGPSModeDown2D", "CourseReversal"}) {
        SCOPED_TRACE(key);
        alerts->alertAllForKey(key);
        ASSERT_FALSE(m_notifier->posted().empty());
        EXPECT_EQ(m_notifier->posted().back(), fromTable(key, *tableEntry(key).description));
        EXPECT_EQ(m_synthesizer->requested().back(), *tableEntry(key).speech);
    }
}

TEST_F(AlertControllerTest, CallerTextReplacesOnlyTextAndSpeech)
{
    store(true, true);
    auto alerts = make();
    alerts->alertAllForKey("WaypointArrival", "Arriving at Buoy 7 in 30 seconds", "Buoy 7");
    EXPECT_EQ(m_notifier->posted(),
        std::vector<PostedNotification>{fromTable("WaypointArrival", "Arriving at Buoy 7 in 30 seconds")});
    EXPECT_EQ(m_synthesizer->requested(), std::vector<std::string>{"Buoy 7"});
}

TEST_F(AlertControllerTest, PreferenceChangesTakeEffectAtTheNextAlert)
{
    store(false, false);
    auto alerts = make();
    struct Step {
        const char* change;
        std::string name;
        ControlState control;
        size_t postedAfter;
        size_t spokenAfter;
    };
    const std::vector<Step> steps = {
        {"both off", "", {}, 0, 0},
        {"speech on", std::string(TRVSpeechChanged), checkBox(3, true), 0, 1},
        {"growl on", std::string(TRVGrowlChanged), checkBox(0, true), 1, 2},
        {"speech off", std::string(TRVSpeechChanged), checkBox(3, false), 2, 2},
        {"growl off", std::string(TRVGrowlChanged), checkBox(0, false), 2, 2},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.change);
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
    struct Step {
        const char* change;
        ControlState control;
        bool speechOn;
        int sayWhat;
        const char* line;
    };
    const std::vector<Step> steps = {
        {"check box on", checkBox(3, true), true, 0, "Speech On, speaking names"},
        {"comments chosen", matrixColumn(4, 1), true, 1, "Speech On, speaking comments"},
        {"check box off, column ignored",
            [] {
                auto c = checkBox(3, false);
                c.selectedColumn = 0;
                return c;
            }(),
            false, 1, "Speech Off, speaking comments"},
        {"names chosen, state ignored",
            [] {
                auto c = matrixColumn(0, 0);
                c.state = true;
                return c;
            }(),
            false, 0, "Speech Off, speaking names"},
        {"another column speaks comments but logs names", matrixColumn(7, 2), false, 2, "Speech Off, speaking names"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.change);
        LogCapture log;
        m_center.post(TRVSpeechChanged, step.control);
        EXPECT_EQ(alerts->speechOn(), step.speechOn);
        EXPECT_EQ(alerts->sayWhat(), step.sayWhat);
        EXPECT_EQ(log.lines(), std::vector<std::string>{step.line});
    }
    EXPECT_TRUE(alerts->growlOn());
}

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
}

TEST_F(AlertControllerTest, SpeechFailuresAreLoggedAfterTheNotificationIsPosted)
{
    store(true, true);
    struct Case {
        const char* name;
        bool synthesizer;
        bool refuses;
        std::string speech;
        std::vector<std::string> lines;
        size_t requested;
    };
    const std::vector<Case> cases = {
        {"no synthesizer", false, false, "Buoy 7", {"no speech synthesizer initialised", "failed to start speaking"},
            0},
        {"refused", true, true, "Buoy 7", {"failed to start speaking"}, 1},
        {"empty speech, no synthesizer", false, false, "", {}, 0},
        {"empty speech", true, false, "", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
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
    alerts->approachingBeep();
    EXPECT_EQ(m_beeper->beeps(), 1);
    m_synthesizer->setSpeaking(false);
    alerts->approachingBeep();
    EXPECT_EQ(m_beeper->beeps(), 2);

    auto withoutSynthesizer = make(false);
    withoutSynthesizer->approachingBeep();
    EXPECT_EQ(m_beeper->beeps(), 1);
}

TEST_F(AlertControllerTest, RegistersOnceWithTheDistinctNotificationNames)
{
    auto alerts = make(true, writeTable(R"(
        <key>GPSModeUp2D</key><dict><key>AlertNotificationName</key><string>GPS Fix</string></dict>
        <key>GPSOffline</key><dict><key>AlertNotificationName</key><string>GPS Connection</string></dict>
        <key>GPSModeUp3D</key><dict><key>AlertNotificationName</key><string>GPS Fix</string></dict>)"));
    const std::vector<std::string> names = {"GPS Fix", "GPS Connection"};
    const AlertController::RegistrationDictionary expected
        = {{"AllNotifications", names}, {"DefaultNotifications", names}};
    EXPECT_EQ(alerts->registrationDictionaryForGrowl(), expected);
    EXPECT_EQ(m_notifier->registration(), (test::Registration{"Navora", names, names}));
    EXPECT_EQ(AlertController::applicationNameForGrowl(), "Navora");
}

TEST_F(AlertControllerTest, MissingTableOrKeyLeavesOnlyCallerTexts)
{
    store(true, true);
    const std::vector<std::pair<const char*, QString>> tables = {
        {"missing table", QString::fromStdString(m_dir.file("none.plist").string())},
        {"broken table", writeTable("<key>GPSOffline</key><dict>")},
        {"table without the keys", writeTable("<key>Other</key><dict><key>AlertTitle</key><string>T</string></dict>")},
    };
    for (const auto& [name, path] : tables) {
        SCOPED_TRACE(name);
        LogCapture log;
        auto alerts = make(true, path);
        EXPECT_TRUE(log.lines().empty()) << "nothing is logged at start";

        alerts->alertAllForKey("GPSOffline");
        EXPECT_TRUE(m_notifier->posted().empty()) << "no title and no text: nothing to show";
        EXPECT_TRUE(m_synthesizer->requested().empty());

        alerts->alertAllForKey("DestinationArrival", "Arrived at Harbour", "Harbour");
        const PostedNotification untitled{"", "Arrived at Harbour", "", 0, false};
        EXPECT_EQ(m_notifier->posted(), std::vector<PostedNotification>{untitled});
        EXPECT_EQ(m_synthesizer->requested(), std::vector<std::string>{"Harbour"});
        EXPECT_TRUE(log.lines().empty());
    }
}

TEST_F(AlertControllerTest, StopsObservingWhenDestroyed)
{
    make().reset();
    EXPECT_EQ(m_center.observerCount(TRVGrowlChanged), 0U);
    EXPECT_EQ(m_center.observerCount(TRVSpeechChanged), 0U);
    m_center.post(TRVSpeechChanged, checkBox(3, true));
}

} // namespace
} // namespace navora
