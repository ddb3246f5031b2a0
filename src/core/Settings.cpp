#include "core/Settings.h"

#include "core/QtText.h"
#include "core/SettingsKeys.h"

#include "core/Log.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>

#include <charconv>
#include <cmath>
#include <limits>
#include <mutex>
#include <optional>

namespace navora {

namespace {

bool isTextType(const QVariant& value)
{
    const int type = value.typeId();
    return type == QMetaType::QString || type == QMetaType::QByteArray;
}

bool isSignedIntegerType(int type)
{
    return type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::Long || type == QMetaType::Short
        || type == QMetaType::SChar || type == QMetaType::Char;
}

bool isUnsignedIntegerType(int type)
{
    return type == QMetaType::UInt || type == QMetaType::ULongLong || type == QMetaType::ULong
        || type == QMetaType::UShort || type == QMetaType::UChar;
}

bool isFloatingType(int type)
{
    return type == QMetaType::Double || type == QMetaType::Float;
}

std::string textOf(const QVariant& value)
{
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray().toStdString() : value.toString().toStdString();
}

std::optional<int> integerFromText(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    int result = 0;
    const char* end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, result);
    if (text.empty() || parsed.ec != std::errc() || parsed.ptr != end)
        return std::nullopt;
    return result;
}

std::optional<int> integerFromDouble(double value)
{
    if (!(value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max())
        || std::trunc(value) != value)
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<int> toInteger(const QVariant& value)
{
    const int type = value.typeId();
    if (type == QMetaType::Bool)
        return value.toBool() ? 1 : 0;
    if (isSignedIntegerType(type)) {
        const qlonglong number = value.toLongLong();
        if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
            return std::nullopt;
        return static_cast<int>(number);
    }
    if (isUnsignedIntegerType(type)) {
        const qulonglong number = value.toULongLong();
        if (number > static_cast<qulonglong>(std::numeric_limits<int>::max()))
            return std::nullopt;
        return static_cast<int>(number);
    }
    if (isFloatingType(type))
        return integerFromDouble(value.toDouble());
    if (isTextType(value))
        return integerFromText(textOf(value));
    return std::nullopt;
}

std::optional<bool> boolFromText(const std::string& text)
{
    const QString word = QString::fromStdString(text).trimmed().toLower();
    if (word == QLatin1String("true") || word == QLatin1String("yes") || word == QLatin1String("1"))
        return true;
    if (word == QLatin1String("false") || word == QLatin1String("no") || word == QLatin1String("0"))
        return false;
    return std::nullopt;
}

std::optional<bool> toBool(const QVariant& value)
{
    const int type = value.typeId();
    if (type == QMetaType::Bool)
        return value.toBool();
    if (isSignedIntegerType(type) || isUnsignedIntegerType(type) || isFloatingType(type))
        return value.toDouble() != 0.0;
    if (isTextType(value))
        return boolFromText(textOf(value));
    return std::nullopt;
}

std::optional<std::string> toString(const QVariant& value)
{
    const int type = value.typeId();
    if (isTextType(value) || isSignedIntegerType(type) || isUnsignedIntegerType(type) || isFloatingType(type))
        return textOf(value);
    return std::nullopt;
}

std::optional<RouteColour> toColour(const QVariant& value)
{
    if (!isTextType(value))
        return std::nullopt;
    return RouteColour::decode(textOf(value));
}

// How a value that could not be read shows in the log: texts quoted (and
// shortened), numbers as they are, anything else by its type.
std::string described(const QVariant& value)
{
    constexpr size_t longest = 80;
    const int type = value.typeId();
    if (type == QMetaType::Bool || isSignedIntegerType(type) || isUnsignedIntegerType(type) || isFloatingType(type))
        return value.toString().toStdString();
    if (!isTextType(value))
        return std::string("a value of type ") + value.typeName();
    std::string text = textOf(value);
    if (text.size() > longest)
        text = text.substr(0, longest) + "...";
    return "\"" + text + "\"";
}

// The stored value of key when it reads as T; otherwise, with one log line,
// the registered default; otherwise fallback.
template <typename T, typename Convert>
T readSetting(const Settings& settings, std::string_view key, const char* typeName, Convert convert, T fallback)
{
    const QVariant stored = settings.store().value(key);
    if (stored.isValid()) {
        if (std::optional<T> result = convert(stored))
            return *result;
        Log::line("Setting \"" + std::string(key) + "\" holds " + described(stored) + ", which is not " + typeName
            + "; the default is used");
    }
    const QVariant registered = settings.registeredDefault(key);
    if (registered.isValid()) {
        if (std::optional<T> result = convert(registered))
            return *result;
        Log::line("Default of setting \"" + std::string(key) + "\" is not " + typeName);
    }
    return fallback;
}

} // namespace

Settings::Settings(SettingsStore& store)
    : m_store(store)
{
}

void Settings::registerDefaults()
{
    registerDefault(TRVUnitsKey, int('n'));
    registerDefault(TRVgpsdServerKey, QStringLiteral("localhost"));
    registerDefault(TRVgpsdPortKey, QStringLiteral("2947"));
    registerDefault(TRVGrowlOnKey, true);
    registerDefault(TRVSpeechOnKey, false);
    registerDefault(TRVSayWhatKey, 0);
    registerDefault(TRVProtocolKey, 0);
    registerDefault(TRVArrivalAlertKey, 15);
    registerDefault(TRVRouteColourKey, QString::fromStdString(RouteColour::routeDefault().encoded()));
    registerDefault(TRVFloatMiniKey, true);
}

void Settings::registerDefault(std::string_view key, const QVariant& value)
{
    std::unique_lock lock(m_defaultsMutex);
    m_defaults.insert_or_assign(std::string(key), value);
}

QVariant Settings::registeredDefault(std::string_view key) const
{
    std::shared_lock lock(m_defaultsMutex);
    const auto found = m_defaults.find(key);
    return found == m_defaults.end() ? QVariant() : found->second;
}

int Settings::integerForKey(std::string_view key) const
{
    return readSetting<int>(*this, key, "an integer", toInteger, 0);
}

bool Settings::boolForKey(std::string_view key) const
{
    return readSetting<bool>(*this, key, "a bool", toBool, false);
}

std::string Settings::stringForKey(std::string_view key) const
{
    return readSetting<std::string>(*this, key, "a string", toString, std::string());
}

RouteColour Settings::colourForKey(std::string_view key) const
{
    return readSetting<RouteColour>(*this, key, "a colour", toColour, RouteColour::routeDefault());
}

void Settings::setInteger(std::string_view key, int value)
{
    m_store.setValue(key, value);
}

void Settings::setBool(std::string_view key, bool value)
{
    m_store.setValue(key, value);
}

void Settings::setString(std::string_view key, std::string_view value)
{
    m_store.setValue(key, toQString(value));
}

bool Settings::setColour(std::string_view key, const RouteColour& colour)
{
    if (!colour.isValid()) {
        Log::line("Setting \"" + std::string(key) + "\" not changed: colour " + colour.encoded()
            + " has a component outside 0..1");
        return false;
    }
    m_store.setValue(key, QString::fromStdString(colour.encoded()));
    return true;
}

} // namespace navora
