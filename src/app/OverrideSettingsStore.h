#pragma once

#include "core/SettingsStore.h"

#include <map>
#include <mutex>
#include <string>

namespace navora {

// The user's settings with a few values replaced for this run only (the
// command line's --server and --port). Reads see the replacements; writes go
// to the user's store. A different value the user then chooses (in the
// preferences) replaces the run's own; the run's own is never written, not
// even when it is handed back unchanged.
class OverrideSettingsStore : public SettingsStore {
public:
    explicit OverrideSettingsStore(SettingsStore& base);

    void override(std::string_view key, const QVariant& value);

    QVariant value(std::string_view key) const override;
    void setValue(std::string_view key, const QVariant& value) override;
    bool contains(std::string_view key) const override;
    std::vector<std::string> keys() const override;

private:
    SettingsStore& m_base;
    mutable std::mutex m_mutex;
    std::map<std::string, QVariant, std::less<>> m_overrides;
};

} // namespace navora
