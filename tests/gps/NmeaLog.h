#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace navora::test {

// NMEA logs for gpsfake to replay: one epoch per second, each of RMC, GGA,
// GSA and GSV sentences with valid checksums.
class NmeaLog {
public:
    struct Satellite {
        int prn;
        int elevation;
        int azimuth;
        int snr;
        bool used;
    };

    struct Epoch {
        // Seconds since 1970 UTC, fraction included.
        double time;
        // 1 no fix, 2 two-dimensional, 3 three-dimensional.
        int mode;
        double latitude;
        double longitude;
        // Metres above mean sea level (written in 3D epochs only).
        double altitude;
        double speedKnots;
        double track;
        std::vector<Satellite> satellites;
    };

    // Fourteen satellites in view; in a fix, the first twelve are used.
    static std::vector<Satellite> satellitesFor(int mode);

    static void write(const std::vector<Epoch>& epochs, const std::string& path);
};

} // namespace navora::test
