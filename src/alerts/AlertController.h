#pragma once

#include "alerts/AlertTable.h"
#include "alerts/Beeper.h"
#include "alerts/DesktopNotifier.h"
#include "alerts/SpeechSynthesizer.h"
#include "alerts/SystemBeeper.h"
#include "core/AlertDispatcher.h"

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace navora {

class NotificationCenter;
class NotificationObject;
class Settings;

// Turns a named alert into a desktop notification, spoken text, or both, as
// the user's settings say; everything shown or spoken comes from the alert
// table unless the caller makes the text.
//
// Alerts arrive on the GPS thread while the preference handlers run on the
// user-interface thread: the three settings are atomics read once per
// alert, the table is read-only after construction, and the services accept
// calls from any thread. A change of setting takes effect at the next alert.
class AlertController : public AlertDispatcher {
public:
    struct Services {
        std::unique_ptr<DesktopNotifier> notifier; // none: no notifications
        std::unique_ptr<SpeechSynthesizer> speechSynth; // none: no synthesizer
        std::unique_ptr<Beeper> beeper; // none: silence
    };
    // "AllNotifications" and "DefaultNotifications" to the notification names.
    using RegistrationDictionary = std::map<std::string, std::vector<std::string>>;

    // What the program uses: the session bus, the first speech engine that
    // works (if any) and the given beep. Call on the user-interface thread,
    // which owns the speech engine.
    static Services systemServices(SystemBeeper::Sound beepSound = {});

    // Reads the three settings, observes their change notifications on
    // center, loads the table at alertTablePath (a missing or broken table
    // is empty, silently) and registers with the notifier.
    AlertController(const Settings& settings, NotificationCenter& center, Services services,
        const QString& alertTablePath = AlertTable::defaultPath());
    ~AlertController() override;

    AlertController(const AlertController&) = delete;
    AlertController& operator=(const AlertController&) = delete;

    void alertAllForKey(const std::string& key) override;
    void alertAllForKey(const std::string& key, const std::string& description, const std::string& speech) override;
    void approachingBeep() override;
    int sayWhat() const override { return m_sayWhat; }

    bool growlOn() const { return m_growlOn; }
    bool speechOn() const { return m_speechOn; }
    const AlertTable& alertDictionary() const { return m_alertDictionary; }
    SpeechSynthesizer* speechSynth() const { return m_speechSynth.get(); }

    void postGrowlForAlertKey(const std::string& key, const std::string& description);
    void speakAlertText(const std::string& text);

    RegistrationDictionary registrationDictionaryForGrowl() const;
    static std::string applicationNameForGrowl() { return "Navora"; }

    // Preference changes; the object is the sending control's state.
    void handleChangeGrowl(const NotificationObject& object);
    void handleChangeSpeech(const NotificationObject& object);

private:
    NotificationCenter& m_center;
    std::atomic<bool> m_growlOn;
    std::atomic<bool> m_speechOn;
    std::atomic<int> m_sayWhat;
    const AlertTable m_alertDictionary;
    const std::unique_ptr<SpeechSynthesizer> m_speechSynth;
    const std::unique_ptr<DesktopNotifier> m_notifier;
    const std::unique_ptr<Beeper> m_beeper;
};

} // namespace navora
