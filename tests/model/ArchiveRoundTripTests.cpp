#include "model/ArchiveSamples.h"
#include "support/ScratchDirectory.h"

#include "model/DocumentArchive.h"
#include "model/DocumentTypes.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

namespace navora::test {
namespace {

WaypointList roundTrip(const WaypointList& list)
{
    std::string error;
    const auto bytes = DocumentArchive::encodeWaypointList(list, error);
    EXPECT_TRUE(bytes) << error;
    auto decoded = DocumentArchive::decodeWaypointList(bytes.value_or(""), error);
    EXPECT_TRUE(decoded) << error;
    return decoded.value_or(WaypointList{});
}

// Stored values are taken as they are, however unusual, bit for bit; only a
// latitude or longitude no place on Earth has (infinite, or beyond +/-90 and
// +/-180) loads as unknown, so it never travels on into an exported file.
TEST(ArchiveRoundTrip, FloatsComeBackBitForBitButImpossiblePositionsAsUnknown)
{
    constexpr uint32_t unknown = 0x7fc00000u; // the quiet NaN of an unknown value
    const struct {
        const char* label;
        uint32_t bits;
        bool latitudeKept;
        bool longitudeKept;
    } rows[] = {
        {"quiet NaN", 0x7fc00000u, true, true},
        {"NaN with a payload", 0x7fc12345u, true, true},
        {"negative NaN", 0xffc00001u, true, true},
        {"signalling NaN", 0x7f800001u, true, true},
        {"90 degrees", bitsOf(90.0f), true, true},
        {"negative zero", 0x80000000u, true, true},
        {"smallest subnormal", 0x00000001u, true, true},
        {"123.5: no latitude, a longitude", bitsOf(123.5f), false, true},
        {"-180", bitsOf(-180.0f), false, true},
        {"180.5", bitsOf(180.5f), false, false},
        {"infinity", 0x7f800000u, false, false},
        {"negative infinity", 0xff800000u, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const float value = std::bit_cast<float>(row.bits);
        std::string error;
        const auto stored = ArchiveBytes().header().list(1).waypoint("x", value, value, value).bytes();
        const auto decoded = DocumentArchive::decodeWaypointList(stored, error);
        ASSERT_TRUE(decoded) << error;
        ASSERT_EQ(decoded->size(), 1u);
        for (const auto& list : {*decoded, roundTrip(*decoded)}) {
            const WaypointSnapshot s = list.at(0)->snapshot();
            EXPECT_EQ(bitsOf(s.latitude), row.latitudeKept ? row.bits : unknown);
            EXPECT_EQ(bitsOf(s.longitude), row.longitudeKept ? row.bits : unknown);
            EXPECT_EQ(bitsOf(s.altitude), row.bits);
        }
    }
}

TEST(ArchiveRoundTrip, WaypointListsKeepTextsAndOrder)
{
    const auto shared = Waypoint::create("twice", "same object", 1.0f, 2.0f, 3.0f);
    const struct {
        const char* label;
        WaypointList list;
    } rows[] = {
        {"empty list", {}},
        {"samples", sampleWaypoints()},
        {"embedded NUL and emoji",
            {Waypoint::create(std::string("a\0b", 3), "🧭 Kompass, Größe", 0.0f, 0.0f, 0.0f)}},
        {"one waypoint twice", {shared, shared}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        expectSameWaypoints(roundTrip(row.list), row.list);
    }
}

TEST(ArchiveRoundTrip, RoutesKeepIndexNameAndWaypoints)
{
    const struct {
        const char* label;
        int32_t activeIndex;
        std::optional<std::string> name;
        WaypointList waypoints;
    } rows[] = {
        {"nil name", 1, std::nullopt, sampleWaypoints()},
        {"empty name", 0, "", {}},
        {"negative index", -1, "r", {}},
        {"largest index", INT32_MAX, "r", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        Route route;
        route.setActiveIndex(row.activeIndex);
        route.setRouteName(row.name);
        route.setRouteWaypoints(row.waypoints);
        std::string error;
        const auto bytes = DocumentArchive::encodeRoute(route, error);
        ASSERT_TRUE(bytes) << error;
        const RoutePtr decoded = DocumentArchive::decodeRoute(*bytes, error);
        ASSERT_TRUE(decoded) << error;
        expectSameRoute(*decoded, route);
    }
}

TEST(ArchiveRoundTrip, NilWaypointTextsReadAsEmpty)
{
    const auto stored = ArchiveBytes().header().list(1).object("Waypoint", 5).nil().nil().f32(1).f32(2).f32(3).bytes();
    std::string error;
    const auto decoded = DocumentArchive::decodeWaypointList(stored, error);
    ASSERT_TRUE(decoded) << error;
    EXPECT_EQ(decoded->at(0)->wpName(), "");
    EXPECT_EQ(decoded->at(0)->wpComment(), "");
}

// Files written by earlier builds must stay readable, and the writer must not
// drift from them: the shipped samples are compared byte for byte.
TEST(ArchiveRoundTrip, ShippedDocumentsMatchTheWriterExactly)
{
    const std::string folder = NAVORA_ARCHIVE_CORPUS;
    std::string error;

    const std::string listFile = folder + "/sample." + std::string(kWaypointsDocumentType.extension);
    EXPECT_EQ(DocumentArchive::encodeWaypointList(sampleWaypoints(), error), fileBytes(listFile));
    const auto list = DocumentArchive::loadWaypointList(listFile, error);
    ASSERT_TRUE(list) << error;
    expectSameWaypoints(*list, sampleWaypoints());

    const std::string routeFile = folder + "/sample." + std::string(kRouteDocumentType.extension);
    EXPECT_EQ(DocumentArchive::encodeRoute(*sampleRoute(), error), fileBytes(routeFile));
    const RoutePtr route = DocumentArchive::loadRoute(routeFile, error);
    ASSERT_TRUE(route) << error;
    expectSameRoute(*route, *sampleRoute());
}

TEST(ArchiveRoundTrip, ListWithAMissingWaypointIsNotEncoded)
{
    std::string error;
    EXPECT_FALSE(DocumentArchive::encodeWaypointList({Waypoint::create(), nullptr}, error));
    EXPECT_NE(error.find("index 1"), std::string::npos) << error;
}

} // namespace
} // namespace navora::test
