#pragma once

#include <chrono>
#include <string>

namespace navora {

// Times en route: a number of hours shown as a clock text, each part cut
// down (never rounded), hours not wrapped at a day.
class ClockTime {
public:
    struct Parts {
        int hours = 0;
        int minutes = 0;
        int seconds = 0;
    };

    // In 32-bit arithmetic, as the times are kept. Times beyond
    // maximumHours (a receding crawl) are held there rather than overflow.
    static Parts partsOf(float hours);
    // "%d:%02d:%02d".
    static std::string text(const Parts& parts);
    // The whole seconds of the parts, for arrival instants.
    static std::chrono::seconds duration(const Parts& parts);

    static constexpr float maximumHours = 999999.0f;
};

} // namespace navora
