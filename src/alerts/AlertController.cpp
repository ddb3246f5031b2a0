#include "alerts/AlertController.h"

#include "alerts/DBusDesktopNotifier.h"
#include "alerts/QtSpeechSynthesizer.h"

#include "core/Log.h"
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"

namespace navora {

namespace {

// The "Speech notifications" check box; the other sender of
// "TRVSpeechChanged" is the name/comment choice.
constexpr int speechCheckBoxTag = 3;

} // namespace

AlertController::Services AlertController::systemServices(SystemBeeper::Sound beepSound)
{
    Services services;
    services.notifier = std::make_unique<DBusDesktopNotifier>();
    services.speechSynth = QtSpeechSynthesizer::create();
    services.beeper = std::make_unique<SystemBeeper>(std::move(beepSound));
    return services;
}

AlertController::AlertController(
    const Settings& settings, NotificationCenter& center, Services services, const QString& alertTablePath)
    : m_center(center)
    , m_growlOn(settings.boolForKey(TRVGrowlOnKey))
    , m_speechOn(settings.boolForKey(TRVSpeechOnKey))
    , m_sayWhat(settings.integerForKey(TRVSayWhatKey))
    , m_alertDictionary(AlertTable::fromFile(alertTablePath))
    , m_speechSynth(std::move(services.speechSynth))
    , m_notifier(std::move(services.notifier))
    , m_beeper(std::move(services.beeper))
{
    m_center.addObserver(
        this, TRVGrowlChanged, [this](const NotificationObject& object) { handleChangeGrowl(object); });
    m_center.addObserver(
        this, TRVSpeechChanged, [this](const NotificationObject& object) { handleChangeSpeech(object); });
    if (m_notifier) {
        const RegistrationDictionary registration = registrationDictionaryForGrowl();
        m_notifier->registerApplication(
            applicationNameForGrowl(), registration.at("AllNotifications"), registration.at("DefaultNotifications"));
    }
}

AlertController::~AlertController()
{
    // Returns only once no handler of ours is running on another thread.
    m_center.removeObserver(this);
}

void AlertController::alertAllForKey(const std::string& key)
{
    const AlertEntry* entry = m_alertDictionary.entry(key);
    alertAllForKey(key, entry ? entry->description.value_or("") : "", entry ? entry->speech.value_or("") : "");
}

void AlertController::alertAllForKey(const std::string& key, const std::string& description, const std::string& speech)
{
    if (m_growlOn)
        postGrowlForAlertKey(key, description);
    if (m_speechOn)
        speakAlertText(speech);
}

void AlertController::postGrowlForAlertKey(const std::string& key, const std::string& description)
{
    if (!m_notifier)
        return;
    const AlertEntry* entry = m_alertDictionary.entry(key);
    const AlertEntry none;
    const AlertEntry& row = entry ? *entry : none;
    const std::string title = row.title.value_or("");
    // A notification with neither title nor text would be a blank bubble.
    if (title.empty() && description.empty())
        return;
    m_notifier->notify(
        title, description, row.notificationName.value_or(""), row.priority.value_or(0), row.sticky.value_or(false));
}

void AlertController::speakAlertText(const std::string& text)
{
    if (text.empty())
        return;
    if (!m_speechSynth) {
        Log::line("no speech synthesizer initialised");
        Log::line("failed to start speaking");
        return;
    }
    if (!m_speechSynth->startSpeaking(text))
        Log::line("failed to start speaking");
}

void AlertController::approachingBeep()
{
    // The beep never cuts into speech.
    if (m_speechSynth && m_speechSynth->isSpeaking())
        return;
    if (m_beeper)
        m_beeper->beep();
}

AlertController::RegistrationDictionary AlertController::registrationDictionaryForGrowl() const
{
    const std::vector<std::string> names = m_alertDictionary.notificationNames();
    return {{"AllNotifications", names}, {"DefaultNotifications", names}};
}

void AlertController::handleChangeGrowl(const NotificationObject& object)
{
    const std::optional<ControlState> control = object.controlState();
    if (!control) {
        Log::line("TRVGrowlChanged without the check box state; ignored");
        return;
    }
    m_growlOn = control->state;
}

void AlertController::handleChangeSpeech(const NotificationObject& object)
{
    const std::optional<ControlState> control = object.controlState();
    if (!control || (control->tag != speechCheckBoxTag && control->selectedColumn < 0)) {
        Log::line("TRVSpeechChanged without a check box state or a selected column; ignored");
        return;
    }
    if (control->tag == speechCheckBoxTag)
        m_speechOn = control->state;
    else
        m_sayWhat = control->selectedColumn;
    Log::line(
        std::string("Speech ") + (m_speechOn ? "On" : "Off") + ", speaking " + (m_sayWhat == 1 ? "comments" : "names"));
}

} // namespace navora
