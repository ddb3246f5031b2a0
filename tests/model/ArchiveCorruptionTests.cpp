#include "model/ArchiveSamples.h"
#include "support/ScratchDirectory.h"

#include "model/DocumentArchive.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace navora::test {
namespace {

enum class Kind { WaypointList, Route };

std::string validDocument(Kind kind)
{
    std::string error;
    const auto bytes = kind == Kind::WaypointList ? DocumentArchive::encodeWaypointList(sampleWaypoints(), error)
                                                  : DocumentArchive::encodeRoute(*sampleRoute(), error);
    EXPECT_TRUE(bytes) << error;
    return bytes.value_or("");
}

// Decodes, and holds the outcome to its contract: either a document and no
// error, or an error and no document. (Random damage is the fuzzer's.)
bool decodes(Kind kind, std::string_view data, std::string& error)
{
    error.clear();
    const bool decoded = kind == Kind::WaypointList ? DocumentArchive::decodeWaypointList(data, error).has_value()
                                                    : DocumentArchive::decodeRoute(data, error) != nullptr;
    EXPECT_NE(decoded, !error.empty()) << error;
    return decoded;
}

bool loads(Kind kind, const std::string& path, std::string& error)
{
    return kind == Kind::WaypointList ? DocumentArchive::loadWaypointList(path, error).has_value()
                                      : DocumentArchive::loadRoute(path, error) != nullptr;
}

TEST(ArchiveCorruption, FileCutAtAnyByteIsRefused)
{
    ScratchDirectory folder;
    for (const Kind kind : {Kind::WaypointList, Kind::Route}) {
        const std::string whole = validDocument(kind);
        const std::string path = folder.write("cut", whole);
        std::string error;
        ASSERT_TRUE(loads(kind, path, error)) << error;
        for (size_t length = 0; length < whole.size(); ++length) {
            std::filesystem::resize_file(path, length);
            ASSERT_FALSE(loads(kind, path, error)) << "cut at " << length;
            EXPECT_NE(error.find(path), std::string::npos) << error;
        }
    }
}

TEST(ArchiveCorruption, MalformedDataIsRefusedWithTheReason)
{
    const auto header = [] { return ArchiveBytes().header(); };
    const auto waypoint = [] { return ArchiveBytes().waypoint("w", 1, 2, 3).bytes(); };
    // Enough bytes after a damaged list entry that the list's count is plausible.
    const std::string pad(32, '\0');
    const struct {
        const char* label;
        Kind kind;
        std::string bytes;
        const char* reason;
    } rows[] = {
        {"empty", Kind::WaypointList, "", "empty"},
        {"foreign file", Kind::WaypointList, "<?xml version=\"1.0\"?><gpx/>", "not a Navora document"},
        {"wrong magic", Kind::Route, "\x89NVB\r\n\x1a\n\x01", "not a Navora document"},
        {"header cut short", Kind::Route, "\x89NVA", "truncated"},
        {"no root value", Kind::Route, header().bytes(), "truncated"},
        {"newer version", Kind::WaypointList, ArchiveBytes().header(2).list(0).bytes(),
            "unsupported archive version 2"},
        {"version in both bytes", Kind::Route, ArchiveBytes().header(0x0101).list(0).bytes(),
            "unsupported archive version 257"},
        {"huge list count", Kind::WaypointList, header().list(0xffffffffu).raw(waypoint()).bytes(),
            "4294967295 entries"},
        {"count beyond bytes left", Kind::WaypointList, header().list(3).raw(std::string(47, 'n')).bytes(),
            "declares 3 entries"},
        {"huge string length", Kind::WaypointList,
            header().list(1).object("Waypoint", 5).className("String").u32(0xfffffff0u).raw("abc").bytes(),
            "4294967280 bytes"},
        {"string longer than the rest", Kind::Route,
            header().object("Route", 3).i32(0).className("String").u32(10).raw("abc").bytes(), "only 3 follow"},
        {"unknown class", Kind::WaypointList, header().list(1).object("Polygon", 5).raw(pad).bytes(),
            "unknown class name \"Polygon\""},
        {"class name with a blank", Kind::WaypointList, header().list(1).object("Poly gon", 5).raw(pad).bytes(),
            "unknown class name \"Poly gon\""},
        {"unprintable class", Kind::WaypointList, header().list(1).object("\x01\xfe", 5).raw(pad).bytes(),
            "\\x01\\xfe"},
        {"route where a list belongs", Kind::WaypointList, header().object("Route", 3).bytes(), "expected List"},
        {"list where a route belongs", Kind::Route, header().list(0).bytes(), "expected Route"},
        {"unknown type code", Kind::WaypointList,
            header().list(1).object("Waypoint", 5).string("").string("").raw("x").raw(pad).bytes(),
            "unknown type code 0x78"},
        {"int where a float belongs", Kind::WaypointList,
            header().list(1).object("Waypoint", 5).string("").string("").i32(1).raw(pad).bytes(), "expected float"},
        {"float where a name belongs", Kind::WaypointList,
            header().list(1).object("Waypoint", 5).f32(1).raw(pad).bytes(), "expected String"},
        {"waypoint with four fields", Kind::WaypointList, header().list(1).object("Waypoint", 4).raw(pad).bytes(),
            "has 4 fields, expected 5"},
        {"nil in the list", Kind::WaypointList, header().list(1).nil().raw(pad).bytes(),
            "expected Waypoint at byte 20, found nil"},
        {"float index of a route", Kind::Route, header().object("Route", 3).f32(2).bytes(), "expected int32"},
        {"garbage after the root", Kind::Route, header().object("Route", 3).i32(0).nil().list(0).raw("zz").bytes(),
            "2 bytes of unexpected data"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        std::string error;
        EXPECT_FALSE(decodes(row.kind, row.bytes, error));
        EXPECT_NE(error.find(row.reason), std::string::npos) << error;
    }
}

TEST(ArchiveCorruption, UnreadableFilesAreReportedWithPathAndReason)
{
    ScratchDirectory folder;
    const std::string tooLarge = folder.write("huge.nvw", "");
    // Sparse: takes no disk space.
    std::filesystem::resize_file(tooLarge, DocumentArchive::kMaxFileBytes + 1);
    const std::string empty = folder.write("empty.nvw", "");

    const struct {
        std::string path;
        const char* reason;
    } rows[] = {
        {folder.file("missing.nvw"), "No such file or directory"},
        {folder.file(""), "a folder, not a file"},
        {tooLarge, "larger than 256 MiB"},
        {empty, "the file is empty"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        std::string error;
        EXPECT_FALSE(DocumentArchive::loadWaypointList(row.path, error));
        EXPECT_NE(error.find(row.path), std::string::npos) << error;
        EXPECT_NE(error.find(row.reason), std::string::npos) << error;
    }
}

} // namespace
} // namespace navora::test
