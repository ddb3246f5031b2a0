#include "gps/GpsdDeviceList.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

namespace navora {

namespace {

// "activated" is an ISO time while the device is open, 0 when it has been
// closed, and missing while it was never opened.
bool isActivated(const QJsonObject& device)
{
    const QJsonValue activated = device.value(QLatin1String("activated"));
    if (activated.isString())
        return !activated.toString().isEmpty();
    if (activated.isDouble())
        return activated.toDouble() != 0.0;
    return false;
}

std::string pathOf(const QJsonObject& device)
{
    return device.value(QLatin1String("path")).toString().toStdString();
}

} // namespace

bool GpsdDeviceList::read(std::string_view line)
{
    if (line.empty() || line.front() != '{' || line.find("\"DEVICE") == std::string_view::npos)
        return false;
    QJsonParseError error{};
    const QJsonDocument document
        = QJsonDocument::fromJson(QByteArray(line.data(), static_cast<qsizetype>(line.size())), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject report = document.object();
    const QString kind = report.value(QLatin1String("class")).toString();
    if (kind == QLatin1String("DEVICES")) {
        const QJsonValue devices = report.value(QLatin1String("devices"));
        if (!devices.isArray())
            return false;
        m_active.clear();
        m_listed.clear();
        m_typed.clear();
        m_known = true;
        for (const QJsonValue& entry : devices.toArray()) {
            if (!entry.isObject())
                continue;
            list(entry.toObject());
            if (isActivated(entry.toObject()))
                setActive(pathOf(entry.toObject()), true);
        }
        return true;
    }
    if (kind == QLatin1String("DEVICE")) {
        m_known = true;
        list(report);
        setActive(pathOf(report), isActivated(report));
        return true;
    }
    return false;
}

void GpsdDeviceList::sawDataFrom(std::string_view path)
{
    m_known = true;
    if (!path.empty() && m_listed.size() < maxDevices)
        m_listed.emplace(path);
    setActive(std::string(path), true);
}

GpsdDeviceList::State GpsdDeviceList::state() const
{
    if (!m_known)
        return State::Unknown;
    return m_active.empty() ? State::Inactive : State::Active;
}

void GpsdDeviceList::list(const QJsonObject& device)
{
    const std::string path = pathOf(device);
    if (path.empty())
        return;
    if (m_listed.size() < maxDevices)
        m_listed.insert(path);
    const QJsonValue driver = device.value(QLatin1String("driver"));
    if (driver.isString() && !driver.toString().isEmpty() && m_typed.size() < maxDevices)
        m_typed.insert(path);
}

void GpsdDeviceList::setActive(const std::string& path, bool active)
{
    if (!active) {
        m_active.erase(path);
        return;
    }
    if (m_active.size() < maxDevices)
        m_active.insert(path);
}

} // namespace navora
