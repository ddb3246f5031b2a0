// What reading and writing files promise beyond the archive format: only
// regular files are read, and never by blocking on one; saves killed midway
// leave nothing that piles up.
#include "model/AtomicFile.h"
#include "model/DocumentArchive.h"
#include "support/LogCapture.h"
#include "support/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <sys/stat.h>

namespace navora::test {
namespace {

TEST(RegularFile, APipeIsRefusedWithoutWaitingForAWriter)
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
    LogCapture log;
    std::string error;
    ASSERT_TRUE(AtomicFile::writeFile(target, "new", error)) << error;
    EXPECT_EQ(log.lines(),
        std::vector<std::string>{
            "Removed " + scratch.file(".harbour.nvw.Ab3dE9").string() + ", left by a save that was interrupted"});
    EXPECT_EQ(scratch.entries(),
        (std::vector<std::string>{
            ".harbour.nvw.Zz0000", ".harbour.nvw.toolong1", ".marina.nvw.Ab3dE9", "harbour.nvw"}));
}

} // namespace
} // namespace navora::test
