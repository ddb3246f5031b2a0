// The document archive: the writer's bounds, the reader against bytes put
// together by hand after the layout in ArchiveFormat.h (not by the writer),
// round trips bit for bit, and the shipped documents byte for byte.
#include "model/ArchiveFormat.h"
#include "model/ArchiveReader.h"
#include "model/ArchiveWriter.h"
#include "model/DocumentArchive.h"
#include "model/DocumentTypes.h"
#include "support/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <filesystem>
#include <sstream>

namespace navora::test {
namespace {

constexpr float kUnknown = std::numeric_limits<float>::quiet_NaN();

uint32_t bitsOf(float value)
{
    return std::bit_cast<uint32_t>(value);
}

// Waypoints as text, the floats by their bits so that NaN payloads count.
std::vector<std::string> texts(const WaypointList& list)
{
    std::vector<std::string> lines;
    for (const WaypointPtr& waypoint : list) {
        const WaypointSnapshot s = waypoint->snapshot();
        char bits[40];
        std::snprintf(
            bits, sizeof bits, "|%08x|%08x|%08x", bitsOf(s.latitude), bitsOf(s.longitude), bitsOf(s.altitude));
        lines.push_back(s.wpName + "|" + s.wpComment + bits);
    }
    return lines;
}

std::vector<std::string> texts(const Route& route)
{
    std::vector<std::string> lines = texts(route.routeWaypoints());
    lines.insert(lines.begin(), route.routeName().value_or("(nil)") + " at " + std::to_string(route.activeIndex()));
    return lines;
}

// The shipped documents (golden files and fuzzing seeds) hold exactly these.
WaypointList sampleWaypoints()
{
    return {Waypoint::create("Dover", "Eastern entrance", 51.1137f, 1.3372f, kUnknown),
        Waypoint::create("Île de Ré ⚓", "", 46.2011f, -1.3636f, 12.5f),
        Waypoint::create("North Pole", "lat 90", 90.0f, -180.0f, -0.0f)};
}

RoutePtr sampleRoute()
{
    auto route = Route::create();
    route->setActiveIndex(2);
    route->setRouteName("Ärmelkanal → Biscay");
    route->setRouteWaypoints(sampleWaypoints());
    route->appendWaypoint(Waypoint::create("Cap Finisterre", "", 42.8825f, -9.2719f, 0.0f));
    return route;
}

// Archive bytes by hand, little-endian.
struct Bytes {
    std::string s;
    Bytes& raw(std::string_view bytes) { return s.append(bytes), *this; }
    Bytes& u8(unsigned value) { return s.push_back(static_cast<char>(value)), *this; }
    Bytes& u16(unsigned value) { return u8(value & 0xff).u8(value >> 8); }
    Bytes& u32(uint32_t value) { return u16(value & 0xffff).u16(value >> 16); }
    Bytes& header(unsigned version = 1) { return raw(std::string_view("\x89NVA\r\n\x1a\n", 8)).u16(version); }
    Bytes& object(std::string_view name, unsigned fields)
    {
        return raw("@").u8(unsigned(name.size())).raw(name).u8(fields);
    }
    Bytes& list(uint32_t count) { return raw("@\x04List").u32(count); }
    Bytes& string(std::string_view text) { return raw("@\x06String").u32(uint32_t(text.size())).raw(text); }
    Bytes& nil() { return raw("n"); }
    Bytes& f32(float value) { return raw("f").u32(bitsOf(value)); }
    Bytes& i32(int32_t value) { return raw("i").u32(static_cast<uint32_t>(value)); }
    Bytes& waypoint(float lat, float lon, float alt)
    {
        return object("Waypoint", 5).string("w").string("").f32(lat).f32(lon).f32(alt);
    }
};

Bytes header()
{
    return Bytes().header();
}

// Plays a writer's calls spelled as words: Ln begins a list of n, l ends
// it; Name:n begins an object of n fields, o ends it; Sn is a text of n
// bytes, I an int32, N nil.
void play(ArchiveWriter& writer, const std::string& calls)
{
    std::istringstream words(calls);
    for (std::string word; words >> word;) {
        const size_t colon = word.find(':');
        const size_t n = std::strtoul(word.c_str() + (colon == std::string::npos ? 1 : colon + 1), nullptr, 10);
        if (word[0] == 'L')
            writer.beginList(n);
        else if (word == "l")
            writer.endList();
        else if (colon != std::string::npos)
            writer.beginObject(word.substr(0, colon), static_cast<uint8_t>(n));
        else if (word == "o")
            writer.endObject();
        else if (word[0] == 'S')
            writer.encodeString(std::string(n, 'x'));
        else
            word == "I" ? writer.encodeInt32(1) : writer.encodeNil();
    }
}

TEST(ArchiveWriter, RefusesWhatCouldNotBeRead)
{
    const struct {
        std::string calls;
        const char* reason;
    } rows[] = {{"L16777217", "more than an archive holds"}, {"S16777217", "longer than an archive holds"},
        // At the bounds (2^24 entries, 16 MiB) the values are taken; only the missing entries stop the archive.
        {"L2 S16777216 L16777216 l", "16777216 value(s) missing"}, {"Waypoint:5 S1 o", "4 value(s) missing"},
        {"Route:1 I I", "beyond the declared size"},
        {"L1 L1 L1 L1 L1 L1 L1 L1 L1 L1 L1 L1 L1 L1 L1 L1 L1", "deeper than 16"}, {"", "incomplete"},
        {"N N", "beyond the declared size"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.calls);
        ArchiveWriter writer;
        play(writer, row.calls);
        EXPECT_FALSE(writer.finish());
        EXPECT_NE(writer.error().find(row.reason), std::string::npos) << writer.error();
    }
    std::string error;
    EXPECT_FALSE(DocumentArchive::encodeWaypointList({Waypoint::create(), nullptr}, error));
    EXPECT_NE(error.find("index 1"), std::string::npos) << error;
}

TEST(ArchiveReader, BoundsNestingAndHoldsCodersToTheDeclaredData)
{
    Bytes nested = header();
    for (int depth = 0; depth < 20; ++depth)
        nested.list(1);
    ArchiveReader deep(nested.nil().s);
    ASSERT_TRUE(deep.readHeader());
    size_t count = 0;
    int opened = 0;
    while (deep.beginList(count, 1))
        ++opened;
    EXPECT_EQ(opened, 16);
    EXPECT_NE(deep.error().find("nested deeper than 16"), std::string::npos) << deep.error();

    const std::string route = header().object("Route", 3).i32(1).nil().list(0).s;
    ArchiveReader early(route);
    int32_t index = 0;
    ASSERT_TRUE(early.readHeader() && early.beginObject("Route", 3) && early.decodeInt32(index));
    EXPECT_FALSE(early.endObject());
    EXPECT_NE(early.error().find("2 unread value(s)"), std::string::npos) << early.error();

    // A text may end exactly where the data does; a float may not be cut.
    std::optional<std::string> text;
    const std::string lastBytes = header().string("abc").s;
    ArchiveReader last(lastBytes);
    ASSERT_TRUE(last.readHeader());
    EXPECT_TRUE(last.decodeStringOrNil(text)) << last.error();
    EXPECT_EQ(text, "abc");
    for (const std::string& cut : {header().raw("f").u16(0).s, header().s}) {
        float value = 0.0f;
        ArchiveReader reader(cut);
        ASSERT_TRUE(reader.readHeader());
        EXPECT_FALSE(reader.decodeFloat(value));
    }
}

TEST(ArchiveReader, MalformedDataIsRefusedWithTheReason)
{
    const std::string waypoint = Bytes().waypoint(1, 2, 3).s;
    // Enough bytes after a damaged list entry that the list's count is plausible.
    const std::string pad(32, '\0');
    const bool list = false, route = true;
    const struct {
        const char* label;
        bool route;
        std::string bytes;
        const char* reason;
    } rows[] = {
        {"empty", list, "", "empty"},
        {"foreign file", list, "<?xml version=\"1.0\"?><gpx/>", "not a Navora document"},
        {"wrong magic", route, "\x89NVB\r\n\x1a\n\x01", "not a Navora document"},
        {"header cut short", route, "\x89NVA", "truncated"},
        {"no root value", route, header().s, "truncated"},
        {"newer version", list, Bytes().header(2).list(0).s, "unsupported archive version 2"},
        {"version in both bytes", route, Bytes().header(0x0101).list(0).s, "unsupported archive version 257"},
        {"huge list count", list, header().list(0xffffffffu).raw(waypoint).s, "4294967295 entries"},
        {"count beyond bytes left", list, header().list(3).raw(std::string(47, 'n')).s, "declares 3 entries"},
        {"huge string length", list, header().list(1).object("Waypoint", 5).raw("@\x06String").u32(0xfffffff0u).s,
            "4294967280 bytes"},
        {"string longer than the rest", route,
            header().object("Route", 3).i32(0).raw("@\x06String").u32(10).raw("abc").s, "only 3 follow"},
        {"unknown class", list, header().list(1).object("Poly gon", 5).raw(pad).s, "unknown class name \"Poly gon\""},
        {"unprintable class", list, header().list(1).object("\x01\xfe", 5).raw(pad).s, "\\x01\\xfe"},
        {"route where a list belongs", list, header().object("Route", 3).s, "expected List"},
        {"list where a route belongs", route, header().list(0).s, "expected Route"},
        {"unknown type code", list, header().list(1).object("Waypoint", 5).string("").string("").raw("x").raw(pad).s,
            "unknown type code 0x78"},
        {"int where a float belongs", list,
            header().list(1).object("Waypoint", 5).string("").string("").i32(1).raw(pad).s, "expected float"},
        {"float where a name belongs", list, header().list(1).object("Waypoint", 5).f32(1).raw(pad).s,
            "expected String"},
        {"waypoint with four fields", list, header().list(1).object("Waypoint", 4).raw(pad).s,
            "has 4 fields, expected 5"},
        {"nil in the list", list, header().list(1).nil().raw(pad).s, "expected Waypoint at byte 20, found nil"},
        {"float index of a route", route, header().object("Route", 3).f32(2).s, "expected int32"},
        {"float past the end", list, header().list(1).object("Waypoint", 5).nil().nil().f32(1).f32(2).raw("f\x01").s,
            "truncated"},
        {"garbage after the root", route, header().object("Route", 3).i32(0).nil().list(0).raw("zz").s,
            "2 bytes of unexpected data"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        std::string error;
        EXPECT_FALSE(row.route ? DocumentArchive::decodeRoute(row.bytes, error) != nullptr
                               : DocumentArchive::decodeWaypointList(row.bytes, error).has_value());
        EXPECT_NE(error.find(row.reason), std::string::npos) << error;
    }
}

// Stored values come back bit for bit, NaN payloads too; only a latitude or
// longitude no place on Earth has loads as unknown, so it never reaches an export.
TEST(ArchiveRoundTrip, FloatsComeBackBitForBitButImpossiblePositionsAsUnknown)
{
    const uint32_t unknown = bitsOf(kUnknown);
    const struct {
        uint32_t bits;
        bool latitudeKept;
        bool longitudeKept;
    } rows[] = {{0x7fc00000u, true, true}, {0x7fc12345u, true, true}, {0xffc00001u, true, true}, // NaNs
        {0x7f800001u, true, true}, {bitsOf(90.0f), true, true}, {0x80000000u, true, true}, {0x00000001u, true, true},
        {bitsOf(123.5f), false, true}, {bitsOf(-180.0f), false, true}, {bitsOf(180.5f), false, false},
        {0x7f800000u, false, false}, {0xff800000u, false, false}}; // infinities
    for (const auto& row : rows) {
        SCOPED_TRACE(row.bits);
        const float value = std::bit_cast<float>(row.bits);
        std::string error;
        const auto decoded
            = DocumentArchive::decodeWaypointList(header().list(1).waypoint(value, value, value).s, error);
        ASSERT_TRUE(decoded) << error;
        const auto again = DocumentArchive::decodeWaypointList(
            DocumentArchive::encodeWaypointList(*decoded, error).value_or(""), error);
        ASSERT_TRUE(again) << error;
        char expected[40];
        std::snprintf(expected, sizeof expected, "w||%08x|%08x|%08x", row.latitudeKept ? row.bits : unknown,
            row.longitudeKept ? row.bits : unknown, row.bits);
        EXPECT_EQ(texts(*decoded), std::vector<std::string>{expected});
        EXPECT_EQ(texts(*again), std::vector<std::string>{expected});
    }
    // Nil texts read as empty.
    std::string error;
    const auto nils = DocumentArchive::decodeWaypointList(
        header().list(1).object("Waypoint", 5).nil().nil().f32(1).f32(2).f32(3).s, error);
    ASSERT_TRUE(nils) << error;
    EXPECT_EQ(texts(*nils), std::vector<std::string>{"||3f800000|40000000|40400000"});
}

TEST(ArchiveRoundTrip, DocumentsKeepTextsOrderIndexAndName)
{
    const auto shared = Waypoint::create("twice", "same object", 1.0f, 2.0f, 3.0f);
    const WaypointList lists[]
        = {{}, {shared, shared}, {Waypoint::create(std::string("a\0b", 3), "🧭 Kompass, Größe", 0.0f, 0.0f, 0.0f)}};
    std::string error;
    for (const WaypointList& list : lists) {
        const auto bytes = DocumentArchive::encodeWaypointList(list, error);
        const auto decoded = DocumentArchive::decodeWaypointList(bytes.value_or(""), error);
        ASSERT_TRUE(decoded) << error;
        EXPECT_EQ(texts(*decoded), texts(list));
    }
    const struct {
        int32_t activeIndex;
        std::optional<std::string> name;
    } routes[] = {{0, std::nullopt}, {0, ""}, {-1, "r"}, {INT32_MAX, "r"}};
    for (const auto& row : routes) {
        Route route;
        route.setActiveIndex(row.activeIndex);
        route.setRouteName(row.name);
        const RoutePtr decoded
            = DocumentArchive::decodeRoute(DocumentArchive::encodeRoute(route, error).value_or(""), error);
        ASSERT_TRUE(decoded) << error;
        EXPECT_EQ(texts(*decoded), texts(route));
    }
}

// Files written by earlier builds stay readable and the writer does not drift
// from them; cut at any byte, a file is refused with its path named.
TEST(ArchiveFile, ShippedDocumentsMatchTheWriterAndAnyCutIsRefused)
{
    ScratchDirectory folder;
    for (const bool isList : {true, false}) {
        const DocumentType& type = isList ? kWaypointsDocumentType : kRouteDocumentType;
        const std::string shipped = std::string(NAVORA_ARCHIVE_CORPUS) + "/sample." + std::string(type.extension);
        std::string error;
        const auto written = isList ? DocumentArchive::encodeWaypointList(sampleWaypoints(), error)
                                    : DocumentArchive::encodeRoute(*sampleRoute(), error);
        EXPECT_EQ(written, fileBytes(shipped));
        const auto load = [&error, isList](const std::string& path) {
            error.clear();
            if (isList)
                return texts(DocumentArchive::loadWaypointList(path, error).value_or(WaypointList{}));
            const RoutePtr route = DocumentArchive::loadRoute(path, error);
            return route ? texts(*route) : std::vector<std::string>{};
        };
        EXPECT_EQ(load(shipped), isList ? texts(sampleWaypoints()) : texts(*sampleRoute())) << error;
        const std::string path = folder.write("cut", fileBytes(shipped));
        for (auto length = std::filesystem::file_size(path); length-- > 0;) {
            std::filesystem::resize_file(path, length);
            load(path);
            ASSERT_NE(error.find("cannot load \"" + path + "\""), std::string::npos) << "cut at " << length;
        }
    }
}

} // namespace
} // namespace navora::test
