#pragma once

#include "gps/NmeaLog.h"

#include <vector>

namespace navora::test {

// NMEA epochs of a drive, one a second: straight runs between points at a
// speed, stops, and spells without a fix, for gpsfake to replay. Positions
// move on a flat local grid (short distances near one point), which the
// tests' own geometry follows too.
class RouteDrive {
public:
    RouteDrive(double time, double latitude, double longitude);

    // Epochs without a fix before the drive, while the program starts.
    void waitWithoutFix(int seconds);
    // Straight to (latitude, longitude) at the speed, the last epoch on or
    // just short of the point.
    void driveTo(double latitude, double longitude, double speedKnots);
    // Straight on along the given track for a number of seconds.
    void driveOn(double track, double speedKnots, int seconds);
    void standStill(int seconds);

    const std::vector<NmeaLog::Epoch>& epochs() const { return m_epochs; }

private:
    void add(int mode, double speedKnots);

    double m_time;
    double m_latitude;
    double m_longitude;
    double m_track = 0.0;
    std::vector<NmeaLog::Epoch> m_epochs;
};

} // namespace navora::test
