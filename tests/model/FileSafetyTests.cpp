// What reading and writing files promise beyond the archive format: only
// regular files are read, and never by blocking on one; a position no place
// on Earth has loads as unknown; saves killed midway leave nothing that piles
// up.
#include "model/ArchiveBytes.h"

#include "model/AtomicFile.h"
#include "model/DocumentArchive.h"
#include "model/RegularFile.h"
#include "model/Waypoint.h"
#include "support/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <future>
#include <limits>
#include <sys/stat.h>

namespace navora::test {
namespace {

TEST(RegularFile, PipesAndFoldersAreRefusedAtOnce)
{
    ScratchDirectory scratch;
    const std::string fifo = scratch.file("list.nvw").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // No writer ever opens the pipe: a blocking open would never return.
    auto read = std::async(std::launch::async, [&fifo] {
        std::string error;
        const bool loaded = DocumentArchive::loadWaypointList(fifo, error).has_value();
        return std::pair(loaded, error);
    });
    ASSERT_EQ(read.wait_for(std::chrono::seconds(5)), std::future_status::ready) << "reading a FIFO blocked";
    const auto [loaded, error] = read.get();
    EXPECT_FALSE(loaded);
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;

    std::string reason;
    EXPECT_EQ(RegularFile::openForReading(scratch.path().string(), reason), -1);
    EXPECT_NE(reason.find("folder"), std::string::npos) << reason;
}

TEST(DocumentArchive, ImpossiblePositionsLoadAsUnknownAndNaNKeepsItsBits)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float payloadNaN = std::bit_cast<float>(0x7fc01234u);
    struct Case {
        float latitude, longitude;
        bool latitudeKnown, longitudeKnown;
    };
    const Case cases[] = {
        {47.5f, 9.7f, true, true},
        {200.0f, 9.7f, false, true},
        {47.5f, -inf, true, false},
        {inf, 181.0f, false, false},
        {-90.0f, 180.0f, true, true},
    };
    for (const Case& c : cases) {
        ArchiveBytes bytes;
        bytes.header().list(2).waypoint("A", c.latitude, c.longitude, 1.0f).waypoint("B", payloadNaN, 0.0f, 0.0f);
        std::string error;
        const auto list = DocumentArchive::decodeWaypointList(bytes.bytes(), error);
        ASSERT_TRUE(list) << error;
        const WaypointSnapshot a = (*list)[0]->snapshot();
        SCOPED_TRACE(testing::Message() << c.latitude << ", " << c.longitude);
        EXPECT_EQ(!std::isnan(a.latitude), c.latitudeKnown);
        EXPECT_EQ(!std::isnan(a.longitude), c.longitudeKnown);
        if (c.latitudeKnown)
            EXPECT_EQ(a.latitude, c.latitude);
        EXPECT_EQ(std::bit_cast<uint32_t>((*list)[1]->latitude()), 0x7fc01234u);
    }
}

TEST(AtomicFile, ASaveRemovesTheStaleTemporariesOfItsOwnTarget)
{
    ScratchDirectory scratch;
    const std::string target = scratch.file("harbour.nvw").string();
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    const auto leave = [&scratch](const std::string& name, std::filesystem::file_time_type when) {
        scratch.write(name, "left by a killed save");
        std::filesystem::last_write_time(scratch.file(name), when);
    };
    leave(".harbour.nvw.Ab3dE9", old); // ours and stale: goes
    leave(".harbour.nvw.Zz0000", std::filesystem::file_time_type::clock::now()); // a save may be writing it
    leave(".harbour.nvw.toolong1", old); // not a name of ours
    leave(".marina.nvw.Ab3dE9", old); // another file's
    std::string error;
    ASSERT_TRUE(AtomicFile::writeFile(target, "new", error)) << error;
    EXPECT_EQ(scratch.entries(),
        (std::vector<std::string>{".harbour.nvw.Zz0000", ".harbour.nvw.toolong1", ".marina.nvw.Ab3dE9", "harbour.nvw"}));
}

} // namespace
} // namespace navora::test
