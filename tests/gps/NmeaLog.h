#pragma once

#include <string>
#include <vector>

namespace navora::test {

// NMEA logs for gpsfake to replay: one epoch a second, each of RMC, GGA, GSA
// and GSV sentences with valid checksums.
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
        double time; // seconds since 1970 UTC, fraction included
        int mode; // 1 no fix, 2 two-dimensional, 3 three-dimensional
        double latitude;
        double longitude;
        double altitude; // metres above mean sea level, written in 3D only
        double speedKnots;
        double track;
        std::vector<Satellite> satellites;
    };

    // Fourteen satellites in view; in a fix, the first twelve are used.
    static std::vector<Satellite> satellitesFor(int mode);

    static void write(const std::vector<Epoch>& epochs, const std::string& path);
};

} // namespace navora::test
