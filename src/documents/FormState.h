#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace navora {

// The named fields of a document window as its logic sees them: the text of
// each field (a text field's content, a button's or box's title, a pop-up's
// selected item title) and whether the control is enabled. The logic writes
// here and reads only what it or the user put here, never a widget; the
// window binds each name to the control with that objectName and applies
// every change the listener reports.
class FormState {
public:
    // Called after a field written by the logic changed.
    using Listener = std::function<void(std::string_view name)>;

    // "" for a field never written.
    std::string text(std::string_view name) const;
    void setText(std::string_view name, std::string text);
    // True for a field never written.
    bool isEnabled(std::string_view name) const;
    void setEnabled(std::string_view name, bool enabled);
    // Whether the logic or the user has written the field's text, and
    // whether the logic has set its enabled state.
    bool hasText(std::string_view name) const;
    bool hasEnabled(std::string_view name) const;

    // What the user typed or chose: stored without calling the listener (the
    // control already shows it).
    void takeUserText(std::string_view name, std::string text);

    void setListener(Listener listener) { m_listener = std::move(listener); }

private:
    struct Field {
        std::string text;
        bool hasText = false;
        bool enabled = true;
        bool hasEnabled = false;
    };

    Field& field(std::string_view name);
    void changed(std::string_view name);

    std::map<std::string, Field, std::less<>> m_fields;
    Listener m_listener;
};

} // namespace navora
