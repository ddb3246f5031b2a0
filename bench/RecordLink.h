#pragma once

#include "gps/GPSLink.h"

#include <string>

namespace navora::bench {

// A link that never connects: the benchmark sets its record, the report, and
// calls updateGPS itself, as the GPS thread would.
class RecordLink : public GPSLink {
public:
    bool open(const std::string&, const std::string&) override { return false; }
    int query(std::string_view) override { return 0; }
    int poll() override { return -1; }
    void setRawHook(RawHook) override { }
    void close() override { }
    int descriptor() const override { return -1; }
    bool pending() const override { return false; }
    const GPSRecord& record() const override { return data; }

    GPSRecord data;
};

} // namespace navora::bench
