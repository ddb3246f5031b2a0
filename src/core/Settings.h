#pragma once

#include "core/RouteColour.h"
#include "core/SettingsStore.h"

#include <QVariant>

#include <map>
#include <shared_mutex>
#include <string>
#include <string_view>

namespace navora {

// Typed access to the user's settings, with registered defaults as fallbacks.
// Defaults are registered, never stored: the store holds only what the user
// chose. A stored value that cannot be read as the type asked for is logged
// and the default is used in its place; the stored value itself is left
// alone, so nothing the user wrote is lost. Safe to read from any thread.
class Settings {
public:
    explicit Settings(SettingsStore& store);

    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    // Registers the defaults of the ten settings (units 'n', server
    // "localhost", port "2947", desktop notifications on, speech off, say the
    // name, driver mode 0, arrival alert 15 s, magenta route colour at alpha
    // 0.8, floating MiniNav on).
    void registerDefaults();
    void registerDefault(std::string_view key, const QVariant& value);
    // The registered default, or an invalid QVariant.
    QVariant registeredDefault(std::string_view key) const;

    // The stored value if it reads as the type, else the registered default,
    // else 0 / false / "" / the route default colour.
    int integerForKey(std::string_view key) const;
    bool boolForKey(std::string_view key) const;
    std::string stringForKey(std::string_view key) const;
    RouteColour colourForKey(std::string_view key) const;

    void setInteger(std::string_view key, int value);
    void setBool(std::string_view key, bool value);
    void setString(std::string_view key, std::string_view value);
    // Refuses (logs, stores nothing, returns false) a colour with a component
    // outside 0..1. The opaque rule is the caller's: see translucentIfOpaque.
    bool setColour(std::string_view key, const RouteColour& colour);

    SettingsStore& store() const { return m_store; }

private:
    SettingsStore& m_store;
    mutable std::shared_mutex m_defaultsMutex;
    std::map<std::string, QVariant, std::less<>> m_defaults;
};

} // namespace navora
