#pragma once

#include "gps/GPSLink.h"

#include <string>
#include <vector>

namespace navora::test {

// A link that never connects: the test sets its record and calls updateGPS.
class StubGPSLink : public GPSLink {
public:
    bool open(const std::string&, const std::string&) override { return false; }
    int query(std::string_view command) override
    {
        queries.emplace_back(command);
        return 0;
    }
    int poll() override { return -1; }
    void setRawHook(RawHook) override { }
    void close() override { }
    int descriptor() const override { return -1; }
    bool pending() const override { return false; }
    const GPSRecord& record() const override { return data; }

    GPSRecord data;
    std::vector<std::string> queries;
};

} // namespace navora::test
