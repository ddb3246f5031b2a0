#include "nav/EpochMerge.h"

#include <algorithm>
#include <cmath>

namespace navora {

namespace {

constexpr double greatestSpeed = 300.0;

bool sameTime(double a, double b)
{
    return std::isfinite(a) && std::isfinite(b) && std::fabs(a - b) < 0.001;
}

void fill(double& field, double other)
{
    if (std::isnan(field))
        field = other;
}

double within(double value, double lowest, double highest)
{
    return value >= lowest && value <= highest ? value : GPSRecord::unknown;
}

} // namespace

EpochMerge::Result EpochMerge::take(const GPSRecord& report)
{
    Result result;
    if (m_current && sameTime(m_current->fix.time, report.fix.time)) {
        GPSRecord merged = report;
        GPSRecord::Fix& fix = merged.fix;
        const GPSRecord::Fix& earlier = m_current->fix;
        fix.mode = std::max(fix.mode, earlier.mode);
        if (std::isnan(fix.latitude) || std::isnan(fix.longitude)) {
            fix.latitude = earlier.latitude;
            fix.longitude = earlier.longitude;
        }
        for (auto field : {&GPSRecord::Fix::altitude, &GPSRecord::Fix::eph, &GPSRecord::Fix::epv,
                 &GPSRecord::Fix::track, &GPSRecord::Fix::speed, &GPSRecord::Fix::climb})
            fill(fix.*field, earlier.*field);
        m_current = merged;
        result.merged = merged;
        return result;
    }
    if (m_current)
        result.finishedMode = decidedMode(m_current->fix);
    m_current = report;
    result.merged = report;
    return result;
}

int EpochMerge::decidedMode(const GPSRecord::Fix& fix)
{
    // A mode outside 0 to 3 names no state: it is left for the display to
    // ignore.
    if (fix.mode < 0 || fix.mode > 3)
        return fix.mode;
    if (fix.mode < 2)
        return std::max(fix.mode, 0);
    if (std::isnan(fix.latitude) || std::isnan(fix.longitude))
        return 1;
    return fix.mode >= 3 && !std::isnan(fix.altitude) ? 3 : 2;
}

GPSRecord EpochMerge::plausible(const GPSRecord& report)
{
    GPSRecord record = report;
    GPSRecord::Fix& fix = record.fix;
    if (!(fix.latitude >= -90.0 && fix.latitude <= 90.0 && fix.longitude >= -180.0 && fix.longitude <= 180.0)) {
        fix.latitude = GPSRecord::unknown;
        fix.longitude = GPSRecord::unknown;
    }
    // Above the highest mountains and below the deepest trench a receiver
    // on earth does not go.
    fix.altitude = within(fix.altitude, -12000.0, 100000.0);
    fix.speed = within(fix.speed, 0.0, greatestSpeed);
    fix.track = within(fix.track, 0.0, 360.0);
    fix.climb = within(fix.climb, -greatestSpeed, greatestSpeed);
    fix.eph = within(fix.eph, 0.0, 1e7);
    fix.epv = within(fix.epv, 0.0, 1e7);
    return record;
}

} // namespace navora
