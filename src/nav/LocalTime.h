#pragma once

#include <chrono>
#include <string>

namespace navora {

// An instant as the alert texts print it: local date and time with the
// numeric offset from UTC, "2024-05-01 14:00:00 +0200".
class LocalTime {
public:
    static std::string text(std::chrono::sys_seconds instant);
};

} // namespace navora
