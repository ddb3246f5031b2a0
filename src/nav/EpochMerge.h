#pragma once

#include "nav/GPSRecord.h"

#include <optional>

namespace navora {

// gpsd sends one report per sentence that carries fix data (GGA, RMC, GSA,
// ...), all with the same fix time, each with only the fields its sentence
// holds. The reports of one fix time are one epoch: a field one report lacks
// is taken from another report of the same epoch, never from an older one,
// and the fix mode is decided once on the merged epoch.
class EpochMerge {
public:
    struct Result {
        // The epoch so far, with the report's fields on top.
        GPSRecord merged;
        // The decided mode of the epoch this report ended, if it ended one.
        std::optional<int> finishedMode;
    };

    Result take(const GPSRecord& report);
    // Forgets the epoch: the next report starts afresh.
    void reset() { m_current.reset(); }

    // The mode a merged fix supports: 3 needs an altitude as well as a
    // position, 2 a position; a receiver's mode above what its fields show
    // is not believed.
    static int decidedMode(const GPSRecord::Fix& fix);
    // The report with every value no receiver can give made unknown:
    // positions off the earth, non-finite numbers, negative or absurd
    // speeds (above 300 m/s), tracks outside 0 to 360, negative error
    // estimates.
    static GPSRecord plausible(const GPSRecord& report);

private:
    std::optional<GPSRecord> m_current;
};

} // namespace navora
