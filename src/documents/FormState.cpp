#include "documents/FormState.h"

namespace navora {

std::string FormState::text(std::string_view name) const
{
    const auto it = m_fields.find(name);
    return it == m_fields.end() ? std::string() : it->second.text;
}

void FormState::setText(std::string_view name, std::string text)
{
    Field& f = field(name);
    if (f.hasText && f.text == text)
        return;
    f.text = std::move(text);
    f.hasText = true;
    changed(name);
}

bool FormState::isEnabled(std::string_view name) const
{
    const auto it = m_fields.find(name);
    return it == m_fields.end() || it->second.enabled;
}

void FormState::setEnabled(std::string_view name, bool enabled)
{
    Field& f = field(name);
    if (f.hasEnabled && f.enabled == enabled)
        return;
    f.enabled = enabled;
    f.hasEnabled = true;
    changed(name);
}

bool FormState::hasText(std::string_view name) const
{
    const auto it = m_fields.find(name);
    return it != m_fields.end() && it->second.hasText;
}

bool FormState::hasEnabled(std::string_view name) const
{
    const auto it = m_fields.find(name);
    return it != m_fields.end() && it->second.hasEnabled;
}

void FormState::takeUserText(std::string_view name, std::string text)
{
    Field& f = field(name);
    f.text = std::move(text);
    f.hasText = true;
}

FormState::Field& FormState::field(std::string_view name)
{
    auto it = m_fields.find(name);
    if (it == m_fields.end())
        it = m_fields.emplace(std::string(name), Field{}).first;
    return it->second;
}

void FormState::changed(std::string_view name)
{
    if (m_listener)
        m_listener(name);
}

} // namespace navora
