#pragma once

#include "gps/GpsdDeviceList.h"
#include "gps/GpsdDialect.h"
#include "gps/LogThrottle.h"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct gps_data_t;

namespace navora {

// gpsd's JSON protocol (gpsd 3 and later) through libgps: gps_open,
// gps_send, gps_read and gps_close. The single-letter commands go out as
// their JSON equivalents; the record is filled from TPV, SKY and the device
// reports. This is the one place that knows libgps. gpsd's ERROR replies are
// logged, one line each.
class JsonDialect : public GpsdDialect {
public:
    // Connects with libgps; nullptr when gps_open fails.
    static std::unique_ptr<JsonDialect> open(const std::string& host, const std::string& port);
    ~JsonDialect() override;
    JsonDialect(const JsonDialect&) = delete;
    JsonDialect& operator=(const JsonDialect&) = delete;

    int query(std::string_view command) override;
    int poll(GPSRecord& record, const GPSLink::RawHook& hook) override;
    int descriptor() const override;
    bool pending() const override { return m_pending; }
    std::string failure() const override { return m_failure; }
    int receiverCount() const override;

    // The JSON text sent for a single-letter command; empty when there is none.
    // "N=n" has none: the driver mode goes to each device by its path once
    // gpsd has listed it with its driver (before, gpsd does not know the
    // device's type and refuses the mode).
    static std::string translate(std::string_view command);
    static std::string driverModeCommand(const std::string& path, int mode);

private:
    LogThrottle m_notJson;
    explicit JsonDialect(std::unique_ptr<gps_data_t> gps);

    void takeReport(std::string_view line, GPSRecord& record);
    void forgetFix();
    void copyInto(GPSRecord& record) const;
    void sendDriverMode();
    void explainFailure(int readErrno);

    std::unique_ptr<gps_data_t> m_gps;
    GpsdDeviceList m_devices;
    std::vector<char> m_message;
    bool m_pending = false;
    std::string m_failure;
    // The driver mode asked for, and the devices it has gone to.
    std::optional<int> m_driverMode;
    std::set<std::string, std::less<>> m_driverModeSent;
};

} // namespace navora
