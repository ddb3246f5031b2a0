#pragma once

#include <array>
#include <cmath>
#include <limits>

namespace navora {

// The fields of a gpsd report that the fix display reads: what the link
// fills on every poll, whichever protocol the server speaks. Units are those
// of gpsd: degrees, metres, metres per second, seconds since 1970 UTC.
struct GPSRecord {
    static constexpr double unknown = std::numeric_limits<double>::quiet_NaN();
    // Channel entries a record holds; a report may name more satellites.
    static constexpr int channelCount = 14;

    struct Fix {
        // 0 no mode seen yet, 1 no fix, 2 two-dimensional, 3 three-dimensional.
        int mode = 0;
        double time = unknown;
        double latitude = unknown;
        double longitude = unknown;
        // Above mean sea level.
        double altitude = unknown;
        double eph = unknown;
        double epv = unknown;
        double track = unknown;
        double speed = unknown;
        double climb = unknown;
    };

    struct Channel {
        int prn = 0;
        int ss = 0;
        int used = 0;

        // The order satellites are shown and kept in: those used in the fix
        // first, then the stronger signal.
        static bool shownBefore(const Channel& a, const Channel& b)
        {
            if ((a.used != 0) != (b.used != 0))
                return a.used != 0;
            return a.ss > b.ss;
        }
    };

    // Time of the last data from an on-line receiver; below 1 (0) while the
    // receiver is off line.
    double online = 0.0;
    Fix fix;
    // How many entries of channels are valid: 0 to channelCount.
    int satellites = 0;
    std::array<Channel, channelCount> channels{};
};

} // namespace navora
