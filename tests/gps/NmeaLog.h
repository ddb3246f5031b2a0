#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace navora::test {

// NMEA logs for gpsfake to replay: a receiver moving along a straight track,
// one epoch per second, each of RMC, GGA, GSA and GSV sentences with valid
// checksums. The tests compare what the GPS controller shows with the
// epochs written.
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

    struct Phase {
        int mode;
        int epochs;
    };

    // Epochs along a track, phase after phase: from (latitude, longitude)
    // at the given speed and track, starting at time.
    static std::vector<Epoch> path(double time, double latitude, double longitude, double speedKnots, double track,
        const std::vector<Phase>& phases);
    // Fourteen satellites in view; in a fix, the first twelve are used.
    static std::vector<Satellite> satellitesFor(int mode);

    static void write(const std::vector<Epoch>& epochs, const std::string& path);
};

} // namespace navora::test
