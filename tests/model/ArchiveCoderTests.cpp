#include "model/ArchiveFormat.h"
#include "model/ArchiveReader.h"
#include "model/ArchiveSamples.h"
#include "model/ArchiveWriter.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace navora::test {
namespace {

// The writer refuses whatever the reader would refuse, and a coder that
// writes other than it declared, so a finished archive always reads back.
TEST(ArchiveCoders, WriterRefusesWhatCouldNotBeRead)
{
    const struct {
        const char* label;
        std::function<void(ArchiveWriter&)> write;
        const char* reason;
    } rows[] = {
        {"list beyond the count bound", [](ArchiveWriter& w) { w.beginList(ArchiveFormat::kMaxListCount + 1); },
            "more than an archive holds"},
        {"text beyond the length bound",
            [](ArchiveWriter& w) { w.encodeString(std::string(ArchiveFormat::kMaxStringBytes + 1, 'x')); },
            "longer than an archive holds"},
        {"object missing a field",
            [](ArchiveWriter& w) {
                w.beginObject("Waypoint", 5);
                w.encodeString("a");
                w.endObject();
            },
            "4 value(s) missing"},
        {"more fields than declared",
            [](ArchiveWriter& w) {
                w.beginObject("Route", 1);
                w.encodeInt32(1);
                w.encodeInt32(2);
            },
            "beyond the declared size"},
        {"nesting too deep",
            [](ArchiveWriter& w) {
                for (int depth = 0; depth < 17; ++depth)
                    w.beginList(1);
            },
            "deeper than 16"},
        {"no root value", [](ArchiveWriter&) {}, "incomplete"},
        {"two root values",
            [](ArchiveWriter& w) {
                w.encodeNil();
                w.encodeNil();
            },
            "beyond the declared size"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        ArchiveWriter writer;
        row.write(writer);
        EXPECT_FALSE(writer.finish());
        EXPECT_NE(writer.error().find(row.reason), std::string::npos) << writer.error();
    }

    // At the bounds themselves (2^24 entries, 16 MiB of text) the values are
    // taken; only the missing entries stop these archives.
    ArchiveWriter longest;
    longest.beginList(2);
    longest.encodeString(std::string(size_t{16} << 20, 'x'));
    longest.beginList(size_t{1} << 24);
    longest.endList();
    EXPECT_FALSE(longest.finish());
    EXPECT_NE(longest.error().find("16777216 value(s) missing"), std::string::npos) << longest.error();
}

TEST(ArchiveCoders, ReaderBoundsNestingAndHoldsCodersToTheDeclaredFields)
{
    ArchiveBytes nested;
    nested.header();
    for (int depth = 0; depth < 20; ++depth)
        nested.list(1);
    ArchiveReader deep(nested.nil().bytes());
    ASSERT_TRUE(deep.readHeader());
    size_t count = 0;
    int opened = 0;
    while (deep.beginList(count, 1))
        ++opened;
    EXPECT_EQ(opened, 16);
    EXPECT_NE(deep.error().find("nested deeper than 16"), std::string::npos) << deep.error();

    const std::string route = ArchiveBytes().header().object("Route", 3).i32(1).nil().list(0).bytes();
    ArchiveReader early(route);
    int32_t index = 0;
    ASSERT_TRUE(early.readHeader() && early.beginObject("Route", 3) && early.decodeInt32(index));
    EXPECT_FALSE(early.endObject());
    EXPECT_NE(early.error().find("2 unread value(s)"), std::string::npos) << early.error();

    // A text may end exactly where the data does; a float may not be cut.
    std::optional<std::string> text;
    const std::string lastBytes = ArchiveBytes().header().string("abc").bytes();
    ArchiveReader last(lastBytes);
    ASSERT_TRUE(last.readHeader());
    EXPECT_TRUE(last.decodeStringOrNil(text)) << last.error();
    EXPECT_EQ(text, "abc");
    float value = 0.0f;
    const std::string cutBytes = ArchiveBytes().header().raw("f").u16(0).bytes();
    ArchiveReader cut(cutBytes);
    ASSERT_TRUE(cut.readHeader());
    EXPECT_FALSE(cut.decodeFloat(value));
    const std::string headerOnly = ArchiveBytes().header().bytes();
    ArchiveReader none(headerOnly);
    ASSERT_TRUE(none.readHeader());
    EXPECT_FALSE(none.decodeFloat(value));
}

} // namespace
} // namespace navora::test
