#pragma once

#include "core/SettingsStore.h"

#include <QSettings>
#include <QString>

#include <mutex>

namespace navora {

// The user's settings file: an INI file, by default
// $XDG_CONFIG_HOME/Navora/Navora.conf (~/.config/Navora/Navora.conf).
// Every write is synced to disk at once, so a change made in the preferences
// survives a crash. One QSettings object is shared behind a mutex, since
// QSettings itself is only reentrant.
class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore();
    explicit QtSettingsStore(const QString& filePath);

    QVariant value(std::string_view key) const override;
    void setValue(std::string_view key, const QVariant& value) override;
    bool contains(std::string_view key) const override;
    std::vector<std::string> keys() const override;

    QString filePath() const;
    // The file the default constructor uses.
    static QString defaultFilePath();

private:
    mutable std::mutex m_mutex;
    QSettings m_settings;
};

} // namespace navora
