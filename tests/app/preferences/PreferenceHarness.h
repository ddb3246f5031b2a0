#pragma once

#include "app/preferences/PreferenceController.h"
#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"
#include "core/Settings.h"
#include "support/PostRecorder.h"

#include <QString>
#include <QVariant>
#include <QWidget>

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace navora::test {

// One preferences window on settings of its own (defaults registered, then
// the given values stored), shown, with every notification it posts recorded.
class PreferenceHarness {
public:
    using Post = PostRecorder::Post;
    using StoredValues = std::vector<std::pair<std::string_view, QVariant>>;

    explicit PreferenceHarness(
        const StoredValues& stored = {}, const QString& alertTablePath = AlertTable::defaultPath());
    ~PreferenceHarness();

    PreferenceController& controller() { return *m_controller; }
    Settings& settings() { return m_settings; }
    MemorySettingsStore& store() { return m_store; }
    const std::vector<Post>& posts() const { return m_recorder.posts; }

    // Everything in the store, key to value.
    std::map<std::string, QVariant> storedValues() const;

    // The window's control with that objectName; fails the test if missing.
    template <typename Widget> Widget& control(const char* name) const
    {
        auto* widget = m_controller->window().findChild<Widget*>(QString::fromLatin1(name));
        if (widget == nullptr)
            throw std::runtime_error(std::string("no control ") + name);
        return *widget;
    }

    // Types text into a line edit as the user would and presses Return.
    void typeAndReturn(const char* field, const QString& text);
    // Empties a line edit and moves the focus away, ending its editing.
    void emptyAndLeave(const char* field);
    void click(const char* button);

private:
    MemorySettingsStore m_store;
    Settings m_settings;
    NotificationCenter m_center;
    PostRecorder m_recorder{m_center, {std::begin(allNotificationNames), std::end(allNotificationNames)}};
    std::unique_ptr<PreferenceController> m_controller;
};

} // namespace navora::test
