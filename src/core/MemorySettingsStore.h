#pragma once

#include "core/SettingsStore.h"

#include <map>
#include <mutex>

namespace navora {

// Settings held in memory only: what the tests and headless runs use.
class MemorySettingsStore : public SettingsStore {
public:
    QVariant value(std::string_view key) const override;
    void setValue(std::string_view key, const QVariant& value) override;
    bool contains(std::string_view key) const override;
    std::vector<std::string> keys() const override;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, QVariant, std::less<>> m_values;
};

} // namespace navora
