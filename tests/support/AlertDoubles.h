#pragma once

#include "alerts/Beeper.h"
#include "alerts/DesktopNotifier.h"
#include "alerts/SpeechSynthesizer.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace navora::test {

struct PostedNotification {
    std::string title;
    std::string description;
    std::string notificationName;
    int priority = 0;
    bool sticky = false;

    friend bool operator==(const PostedNotification&, const PostedNotification&) = default;
};

struct Registration {
    std::string applicationName;
    std::vector<std::string> all;
    std::vector<std::string> defaults;

    friend bool operator==(const Registration&, const Registration&) = default;
};

// Records what the dispatcher hands to the desktop-notification service.
class RecordingNotifier : public DesktopNotifier {
public:
    void registerApplication(const std::string& applicationName, const std::vector<std::string>& all,
        const std::vector<std::string>& defaults) override
    {
        std::lock_guard lock(m_mutex);
        m_registration = {applicationName, all, defaults};
    }
    void notify(const std::string& title, const std::string& description, const std::string& notificationName,
        int priority, bool sticky) override
    {
        std::lock_guard lock(m_mutex);
        m_posted.push_back({title, description, notificationName, priority, sticky});
    }

    Registration registration() const
    {
        std::lock_guard lock(m_mutex);
        return m_registration;
    }
    std::vector<PostedNotification> posted() const
    {
        std::lock_guard lock(m_mutex);
        return m_posted;
    }

private:
    mutable std::mutex m_mutex;
    Registration m_registration;
    std::vector<PostedNotification> m_posted;
};

// A synthesizer whose speaking state and refusal the test sets.
class ScriptedSynthesizer : public SpeechSynthesizer {
public:
    bool startSpeaking(const std::string& text) override
    {
        std::lock_guard lock(m_mutex);
        m_requested.push_back(text);
        return !m_refuses;
    }
    bool isSpeaking() const override { return m_speaking; }

    void setSpeaking(bool speaking) { m_speaking = speaking; }
    void setRefuses(bool refuses) { m_refuses = refuses; }
    std::vector<std::string> requested() const
    {
        std::lock_guard lock(m_mutex);
        return m_requested;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requested;
    std::atomic<bool> m_refuses = false;
    std::atomic<bool> m_speaking = false;
};

class CountingBeeper : public Beeper {
public:
    void beep() override { ++m_beeps; }
    int beeps() const { return m_beeps; }

private:
    std::atomic<int> m_beeps = 0;
};

} // namespace navora::test
