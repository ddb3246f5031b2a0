#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace navora {

class ArchiveReader;
class ArchiveWriter;
class GeodesicOrigin;

// One consistent view of a waypoint's fields, taken under its lock.
struct WaypointSnapshot {
    std::string wpName;
    std::string wpComment;
    float latitude;
    float longitude;
    float altitude;
};

// A named position: the one position record of the system. Waypoints are
// shared records (std::shared_ptr<Waypoint>): a route holds the very objects
// of the waypoint lists it was built from, and the current position "PPOS" is
// written by the GPS thread while the user-interface thread reads it, so every
// field access is guarded and a whole position can be written and read as one.
// The guard is a lock of four bytes rather than a std::mutex of forty: lists
// hold hundreds of thousands of waypoints.
class Waypoint {
public:
    // Name "", comment "", unknown (NaN) latitude, longitude and altitude.
    Waypoint();
    // Every value goes through its setter, so the range checks apply.
    Waypoint(std::string wpName, std::string wpComment, float latitude, float longitude, float altitude);

    Waypoint(const Waypoint&) = delete;
    Waypoint& operator=(const Waypoint&) = delete;

    static std::shared_ptr<Waypoint> create();
    static std::shared_ptr<Waypoint> create(
        std::string wpName, std::string wpComment, float latitude, float longitude, float altitude);

    // A new, independent waypoint with the same fields.
    std::shared_ptr<Waypoint> copy() const;

    std::string wpName() const;
    void setWpName(std::string wpName);
    std::string wpComment() const;
    void setWpComment(std::string wpComment);

    float latitude() const;
    // Keeps -90..90 inclusive; anything else, NaN included, stores NaN.
    void setLatitude(float latitude);
    float longitude() const;
    // Keeps -180..180 inclusive; anything else, NaN included, stores NaN.
    void setLongitude(float longitude);
    float altitude() const;
    void setAltitude(float altitude);

    // Writes latitude, longitude, altitude and comment as one unit (with the
    // setters' range checks), so a reader on another thread sees either the
    // old position or the new one, never a mixture.
    void setPosition(float latitude, float longitude, float altitude, std::string wpComment);
    WaypointSnapshot snapshot() const;

    // The one range rule of positions: a finite latitude in -90..90 and a
    // finite longitude in -180..180. Anything else is an unknown position.
    static bool validLatitude(double latitude) { return latitude >= -90.0 && latitude <= 90.0; }
    static bool validLongitude(double longitude) { return longitude >= -180.0 && longitude <= 180.0; }

    // Case-sensitive comparison of the names: -1, 0 or +1.
    int nameAlpha(const Waypoint& other) const;
    // The waypoint's name.
    std::string description() const;

    // Great-circle distance in nautical miles between other and this waypoint.
    float distanceFromPoint(const Waypoint& other) const;
    // The same figure from a fixed origin: distanceFromPoint(o) equals
    // distanceFrom(GeodesicOrigin(o's latitude, o's longitude)).
    float distanceFrom(const GeodesicOrigin& origin) const;
    // Initial great-circle bearing, in degrees 0..360, from other to this one.
    float bearingFromPoint(const Waypoint& other) const;
    // Signed distance, in nautical miles, of this waypoint from the great
    // circle that leaves a through b: positive to the right of travel.
    float nmOffsetFromGCFromPoint(const Waypoint& a, const Waypoint& b) const;

    // Archive fields: name, comment, latitude, longitude, altitude.
    void encodeWithCoder(ArchiveWriter& coder) const;
    // Reads the fields written by encodeWithCoder; the floats are taken as
    // stored. Returns an empty pointer (and leaves the reason in the coder)
    // when the data does not hold a waypoint.
    static std::shared_ptr<Waypoint> initWithCoder(ArchiveReader& coder);

private:
    struct Position {
        float latitude;
        float longitude;
    };
    Position position() const;

    // A mutex in one word: free, held, or held with threads (maybe) waiting,
    // who sleep until it is let go.
    class Guard {
    public:
        void lock();
        void unlock();

    private:
        static constexpr uint32_t kFree = 0;
        static constexpr uint32_t kHeld = 1;
        static constexpr uint32_t kWaitedFor = 2;
        std::atomic<uint32_t> m_state{kFree};
    };

    std::string m_wpName;
    std::string m_wpComment;
    float m_latitude;
    float m_longitude;
    float m_altitude;
    mutable Guard m_guard;
};

using WaypointPtr = std::shared_ptr<Waypoint>;

} // namespace navora
