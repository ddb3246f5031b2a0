#include "model/Waypoint.h"

#include "model/ArchiveFormat.h"
#include "model/ArchiveReader.h"
#include "model/ArchiveWriter.h"
#include "model/GeodesicOrigin.h"
#include "model/Geodesy.h"

#include <cmath>
#include <limits>

namespace navora {

namespace {

constexpr float kUnknown = std::numeric_limits<float>::quiet_NaN();

float checkedLatitude(float latitude)
{
    return Waypoint::validLatitude(latitude) ? latitude : kUnknown;
}

float checkedLongitude(float longitude)
{
    return Waypoint::validLongitude(longitude) ? longitude : kUnknown;
}

} // namespace

void Waypoint::Guard::lock()
{
    uint32_t state = kFree;
    if (m_state.compare_exchange_strong(state, kHeld, std::memory_order_acquire))
        return;
    // Taken: say so, and sleep until it is let go; whoever takes it this way
    // wakes a sleeper when letting go.
    while (m_state.exchange(kWaitedFor, std::memory_order_acquire) != kFree)
        m_state.wait(kWaitedFor, std::memory_order_relaxed);
}

void Waypoint::Guard::unlock()
{
    if (m_state.exchange(kFree, std::memory_order_release) == kWaitedFor)
        m_state.notify_one();
}

Waypoint::Waypoint()
    : Waypoint("", "", kUnknown, kUnknown, kUnknown)
{
}

Waypoint::Waypoint(std::string wpName, std::string wpComment, float latitude, float longitude, float altitude)
    : m_wpName(std::move(wpName))
    , m_wpComment(std::move(wpComment))
    , m_latitude(checkedLatitude(latitude))
    , m_longitude(checkedLongitude(longitude))
    , m_altitude(altitude)
{
}

std::shared_ptr<Waypoint> Waypoint::create()
{
    return std::make_shared<Waypoint>();
}

std::shared_ptr<Waypoint> Waypoint::create(
    std::string wpName, std::string wpComment, float latitude, float longitude, float altitude)
{
    return std::make_shared<Waypoint>(std::move(wpName), std::move(wpComment), latitude, longitude, altitude);
}

std::shared_ptr<Waypoint> Waypoint::copy() const
{
    const WaypointSnapshot s = snapshot();
    auto waypoint = create(s.wpName, s.wpComment, 0.0f, 0.0f, s.altitude);
    // Fields are copied as they are, even values that came unchecked from a file.
    waypoint->m_latitude = s.latitude;
    waypoint->m_longitude = s.longitude;
    return waypoint;
}

std::string Waypoint::wpName() const
{
    std::lock_guard lock(m_guard);
    return m_wpName;
}

void Waypoint::setWpName(std::string wpName)
{
    std::lock_guard lock(m_guard);
    m_wpName = std::move(wpName);
}

std::string Waypoint::wpComment() const
{
    std::lock_guard lock(m_guard);
    return m_wpComment;
}

void Waypoint::setWpComment(std::string wpComment)
{
    std::lock_guard lock(m_guard);
    m_wpComment = std::move(wpComment);
}

float Waypoint::latitude() const
{
    std::lock_guard lock(m_guard);
    return m_latitude;
}

void Waypoint::setLatitude(float latitude)
{
    std::lock_guard lock(m_guard);
    m_latitude = checkedLatitude(latitude);
}

float Waypoint::longitude() const
{
    std::lock_guard lock(m_guard);
    return m_longitude;
}

void Waypoint::setLongitude(float longitude)
{
    std::lock_guard lock(m_guard);
    m_longitude = checkedLongitude(longitude);
}

float Waypoint::altitude() const
{
    std::lock_guard lock(m_guard);
    return m_altitude;
}

void Waypoint::setAltitude(float altitude)
{
    std::lock_guard lock(m_guard);
    m_altitude = altitude;
}

void Waypoint::setPosition(float latitude, float longitude, float altitude, std::string wpComment)
{
    std::lock_guard lock(m_guard);
    m_latitude = checkedLatitude(latitude);
    m_longitude = checkedLongitude(longitude);
    m_altitude = altitude;
    m_wpComment = std::move(wpComment);
}

WaypointSnapshot Waypoint::snapshot() const
{
    std::lock_guard lock(m_guard);
    return {m_wpName, m_wpComment, m_latitude, m_longitude, m_altitude};
}

Waypoint::Position Waypoint::position() const
{
    std::lock_guard lock(m_guard);
    return {m_latitude, m_longitude};
}

int Waypoint::nameAlpha(const Waypoint& other) const
{
    // UTF-8 byte order is code point order.
    const int order = wpName().compare(other.wpName());
    return (order > 0) - (order < 0);
}

std::string Waypoint::description() const
{
    return wpName();
}

float Waypoint::distanceFromPoint(const Waypoint& other) const
{
    const Position s = position();
    const Position p = other.position();
    return Geodesy::distanceNm(s.latitude, s.longitude, p.latitude, p.longitude);
}

float Waypoint::distanceFrom(const GeodesicOrigin& origin) const
{
    const Position s = position();
    return origin.distanceNm(s.latitude, s.longitude);
}

float Waypoint::bearingFromPoint(const Waypoint& other) const
{
    const Position s = position();
    const Position p = other.position();
    return Geodesy::bearing(p.latitude, p.longitude, s.latitude, s.longitude);
}

float Waypoint::nmOffsetFromGCFromPoint(const Waypoint& a, const Waypoint& b) const
{
    const Position s = position();
    const Position pa = a.position();
    const Position pb = b.position();
    return Geodesy::crossTrackNm(pa.latitude, pa.longitude, pb.latitude, pb.longitude, s.latitude, s.longitude);
}

void Waypoint::encodeWithCoder(ArchiveWriter& coder) const
{
    const WaypointSnapshot s = snapshot();
    coder.beginObject(ArchiveFormat::kWaypointClass, ArchiveFormat::kWaypointFields);
    coder.encodeString(s.wpName);
    coder.encodeString(s.wpComment);
    coder.encodeFloat(s.latitude);
    coder.encodeFloat(s.longitude);
    coder.encodeFloat(s.altitude);
    coder.endObject();
}

std::shared_ptr<Waypoint> Waypoint::initWithCoder(ArchiveReader& coder)
{
    std::optional<std::string> name;
    std::optional<std::string> comment;
    float latitude = 0.0f;
    float longitude = 0.0f;
    float altitude = 0.0f;
    if (!coder.beginObject(ArchiveFormat::kWaypointClass, ArchiveFormat::kWaypointFields)
        || !coder.decodeStringOrNil(name) || !coder.decodeStringOrNil(comment) || !coder.decodeFloat(latitude)
        || !coder.decodeFloat(longitude) || !coder.decodeFloat(altitude) || !coder.endObject())
        return nullptr;
    // Built in one step: a long list would otherwise pay for a default
    // waypoint and a lock per field.
    auto waypoint = std::make_shared<Waypoint>(
        std::move(name).value_or(""), std::move(comment).value_or(""), kUnknown, kUnknown, altitude);
    // A file gives back what was saved, bit for bit (NaN payloads too),
    // except a position no place on Earth has (a damaged or foreign file):
    // that loads as unknown, so it can never travel on into an exported file.
    waypoint->m_latitude = std::isnan(latitude) ? latitude : checkedLatitude(latitude);
    waypoint->m_longitude = std::isnan(longitude) ? longitude : checkedLongitude(longitude);
    return waypoint;
}

} // namespace navora
