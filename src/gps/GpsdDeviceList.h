#pragma once

#include <set>

class QJsonObject;
#include <string>
#include <string_view>

namespace navora {

// Which of gpsd's devices are active, as its JSON reports tell: a DEVICES
// list names the devices gpsd knows (active ones carry an "activated"
// time), a DEVICE report with "activated" 0 (or none) tells of a device
// closed or not yet opened, and a fix or sky report comes only from an
// active device. The receiver is off line while no device is active.
class GpsdDeviceList {
public:
    enum class State { Unknown, Active, Inactive };

    // Takes in a DEVICES or DEVICE report; returns false for other lines and
    // for reports it cannot read (which change nothing).
    bool read(std::string_view line);
    // A fix or sky report from path.
    void sawDataFrom(std::string_view path);

    // Unknown until gpsd has said anything about its devices.
    State state() const;
    size_t activeCount() const { return m_active.size(); }
    // Every device gpsd has named, active or not.
    const std::set<std::string, std::less<>>& listed() const { return m_listed; }
    // The devices gpsd has named with their driver: it knows their type,
    // so a driver mode can be set on them.
    const std::set<std::string, std::less<>>& typed() const { return m_typed; }

private:
    void setActive(const std::string& path, bool active);
    void list(const QJsonObject& device);

    // A server could name any number of devices; a receiver list beyond this
    // is not believed.
    static constexpr size_t maxDevices = 64;

    bool m_known = false;
    std::set<std::string, std::less<>> m_active;
    std::set<std::string, std::less<>> m_listed;
    std::set<std::string, std::less<>> m_typed;
};

} // namespace navora
