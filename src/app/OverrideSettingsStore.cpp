#include "app/OverrideSettingsStore.h"

#include <algorithm>

namespace navora {

OverrideSettingsStore::OverrideSettingsStore(SettingsStore& base)
    : m_base(base)
{
}

void OverrideSettingsStore::override(std::string_view key, const QVariant& value)
{
    std::lock_guard lock(m_mutex);
    m_overrides.insert_or_assign(std::string(key), detached(value));
}

QVariant OverrideSettingsStore::value(std::string_view key) const
{
    {
        std::lock_guard lock(m_mutex);
        if (const auto it = m_overrides.find(key); it != m_overrides.end())
            return detached(it->second);
    }
    return m_base.value(key);
}

void OverrideSettingsStore::setValue(std::string_view key, const QVariant& value)
{
    {
        std::lock_guard lock(m_mutex);
        if (const auto it = m_overrides.find(key); it != m_overrides.end()) {
            // The run's own value handed back (the preferences store the
            // server and the port together): it stays the run's.
            if (it->second == value)
                return;
            m_overrides.erase(it);
        }
    }
    m_base.setValue(key, value);
}

bool OverrideSettingsStore::contains(std::string_view key) const
{
    {
        std::lock_guard lock(m_mutex);
        if (m_overrides.find(key) != m_overrides.end())
            return true;
    }
    return m_base.contains(key);
}

std::vector<std::string> OverrideSettingsStore::keys() const
{
    std::vector<std::string> keys = m_base.keys();
    std::lock_guard lock(m_mutex);
    for (const auto& [key, value] : m_overrides) {
        if (std::find(keys.begin(), keys.end(), key) == keys.end())
            keys.push_back(key);
    }
    return keys;
}

} // namespace navora
