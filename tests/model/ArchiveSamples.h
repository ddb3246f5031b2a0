#pragma once

#include "model/Route.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace navora::test {

inline uint32_t bitsOf(float value)
{
    return std::bit_cast<uint32_t>(value);
}

// Floats are compared by their bits, so NaN payloads count.
inline void expectSameWaypoints(const WaypointList& actual, const WaypointList& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        SCOPED_TRACE("waypoint " + std::to_string(i));
        const WaypointSnapshot a = actual[i]->snapshot();
        const WaypointSnapshot e = expected[i]->snapshot();
        EXPECT_EQ(a.wpName, e.wpName);
        EXPECT_EQ(a.wpComment, e.wpComment);
        EXPECT_EQ(bitsOf(a.latitude), bitsOf(e.latitude));
        EXPECT_EQ(bitsOf(a.longitude), bitsOf(e.longitude));
        EXPECT_EQ(bitsOf(a.altitude), bitsOf(e.altitude));
    }
}

inline void expectSameRoute(const Route& actual, const Route& expected)
{
    EXPECT_EQ(actual.activeIndex(), expected.activeIndex());
    EXPECT_EQ(actual.routeName(), expected.routeName());
    expectSameWaypoints(actual.routeWaypoints(), expected.routeWaypoints());
}

// The documents shipped as golden files (and fuzzing seeds) hold exactly these.
inline WaypointList sampleWaypoints()
{
    constexpr float kUnknown = std::numeric_limits<float>::quiet_NaN();
    return {
        Waypoint::create("Dover", "Eastern entrance", 51.1137f, 1.3372f, kUnknown),
        Waypoint::create("Île de Ré ⚓", "", 46.2011f, -1.3636f, 12.5f),
        Waypoint::create("North Pole", "lat 90", 90.0f, -180.0f, -0.0f),
    };
}

inline RoutePtr sampleRoute()
{
    auto route = Route::create();
    route->setActiveIndex(2);
    route->setRouteName("Ärmelkanal → Biscay");
    route->setRouteWaypoints(sampleWaypoints());
    route->appendWaypoint(Waypoint::create("Cap Finisterre", "", 42.8825f, -9.2719f, 0.0f));
    return route;
}

// Archive bytes put together by hand, independently of ArchiveWriter: for
// inputs the writer never produces, and so that the reader is checked against
// the documented layout rather than against the writer.
class ArchiveBytes {
public:
    ArchiveBytes& header(uint16_t version = 1) { return raw(std::string_view("\x89NVA\r\n\x1a\n", 8)).u16(version); }
    ArchiveBytes& raw(std::string_view bytes)
    {
        m_bytes.append(bytes);
        return *this;
    }
    ArchiveBytes& u8(uint8_t value)
    {
        m_bytes.push_back(static_cast<char>(value));
        return *this;
    }
    ArchiveBytes& u16(uint16_t value)
    {
        return u8(static_cast<uint8_t>(value & 0xff)).u8(static_cast<uint8_t>(value >> 8));
    }
    ArchiveBytes& u32(uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            u8(static_cast<uint8_t>((value >> shift) & 0xff));
        return *this;
    }
    ArchiveBytes& className(std::string_view name) { return raw("@").u8(static_cast<uint8_t>(name.size())).raw(name); }
    ArchiveBytes& object(std::string_view name, uint8_t fields) { return className(name).u8(fields); }
    ArchiveBytes& list(uint32_t count) { return className("List").u32(count); }
    ArchiveBytes& string(std::string_view text)
    {
        return className("String").u32(static_cast<uint32_t>(text.size())).raw(text);
    }
    ArchiveBytes& nil() { return raw("n"); }
    ArchiveBytes& f32(float value) { return raw("f").u32(std::bit_cast<uint32_t>(value)); }
    ArchiveBytes& i32(int32_t value) { return raw("i").u32(static_cast<uint32_t>(value)); }
    ArchiveBytes& waypoint(std::string_view name, float latitude, float longitude, float altitude)
    {
        return object("Waypoint", 5).string(name).string("").f32(latitude).f32(longitude).f32(altitude);
    }

    const std::string& bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

} // namespace navora::test
