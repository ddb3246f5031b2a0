#include "core/MemorySettingsStore.h"

namespace navora {

QVariant MemorySettingsStore::value(std::string_view key) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_values.find(key);
    return found == m_values.end() ? QVariant() : detached(found->second);
}

void MemorySettingsStore::setValue(std::string_view key, const QVariant& value)
{
    std::lock_guard lock(m_mutex);
    m_values.insert_or_assign(std::string(key), detached(value));
}

bool MemorySettingsStore::contains(std::string_view key) const
{
    std::lock_guard lock(m_mutex);
    return m_values.find(key) != m_values.end();
}

std::vector<std::string> MemorySettingsStore::keys() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> result;
    result.reserve(m_values.size());
    for (const auto& entry : m_values)
        result.push_back(entry.first);
    return result;
}

} // namespace navora
