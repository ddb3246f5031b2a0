#include "core/QtSettingsStore.h"

#include "core/QtText.h"

#include "core/Log.h"

#include <QStandardPaths>

namespace navora {

QtSettingsStore::QtSettingsStore()
    : QtSettingsStore(defaultFilePath())
{
}

QtSettingsStore::QtSettingsStore(const QString& filePath)
    : m_settings(filePath, QSettings::IniFormat)
{
    if (m_settings.status() != QSettings::NoError)
        Log::line("Settings file " + filePath.toStdString() + " could not be read; the defaults apply");
}

QVariant QtSettingsStore::value(std::string_view key) const
{
    std::lock_guard lock(m_mutex);
    return detached(m_settings.value(toQString(key)));
}

void QtSettingsStore::setValue(std::string_view key, const QVariant& value)
{
    std::lock_guard lock(m_mutex);
    m_settings.setValue(toQString(key), detached(value));
    m_settings.sync();
    if (m_settings.status() == QSettings::AccessError)
        Log::line("Settings file " + m_settings.fileName().toStdString() + " could not be written");
}

bool QtSettingsStore::contains(std::string_view key) const
{
    std::lock_guard lock(m_mutex);
    return m_settings.contains(toQString(key));
}

std::vector<std::string> QtSettingsStore::keys() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> result;
    for (const QString& key : m_settings.allKeys())
        result.push_back(key.toStdString());
    return result;
}

QString QtSettingsStore::filePath() const
{
    std::lock_guard lock(m_mutex);
    return m_settings.fileName();
}

QString QtSettingsStore::defaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Navora/Navora.conf");
}

} // namespace navora
