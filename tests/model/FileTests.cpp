// What reading and writing files promise beyond the archive format: saves
// replace the old file whole or not at all, only regular files are read,
// and a track file keeps every point a killed writer was told it wrote.
#include "model/AtomicFile.h"
#include "model/DocumentArchive.h"
#include "model/TrackFile.h"
#include "support/LogCapture.h"
#include "support/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace navora::test {
namespace {

mode_t permissionsOf(const std::string& path)
{
    struct stat status { };
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

TEST(AtomicFile, FailedOrUncommittedWritesKeepTheOldFile)
{
    ScratchDirectory folder;
    const std::string path = folder.write("route.nvr", "previous contents");
    // A cap on the size of any file this process writes, as a full disk would
    // stop a write midway; with SIGXFSZ ignored the write fails with EFBIG.
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = previous;
    limit.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    std::string error;
    const bool saved = AtomicFile::writeFile(path, std::string(100000, 'x'), error);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, handler);
    EXPECT_FALSE(saved);
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find("File too large"), std::string::npos) << error;
    {
        AtomicFile file(path);
        ASSERT_TRUE(file.open(error)) << error;
        ASSERT_TRUE(file.write("never committed", error)) << error;
    }
    EXPECT_EQ(fileBytes(path), "previous contents");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"route.nvr"});

    const std::string missing = folder.file("no/such/folder/list.nvw");
    EXPECT_FALSE(DocumentArchive::saveWaypointList(missing, {}, error));
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

// A list is written to the file while it is encoded: the file holds the same
// bytes as the archive made in memory, and a waypoint that cannot be written
// after much of the list has gone to disk still leaves the old file alone.
TEST(DocumentArchive, AListSavedAsItIsEncodedIsAllOrNothing)
{
    ScratchDirectory folder;
    WaypointList list;
    for (int i = 0; i < 20000; ++i)
        list.push_back(Waypoint::create("W" + std::to_string(i), "a comment", 47.5f, 9.5f, 400.0f));
    std::string error;
    const std::string path = folder.file("list.nvw");
    ASSERT_TRUE(DocumentArchive::saveWaypointList(path, list, error)) << error;
    EXPECT_EQ(fileBytes(path), DocumentArchive::encodeWaypointList(list, error).value_or("")) << error;

    const std::string previous = fileBytes(path);
    list.push_back(nullptr);
    EXPECT_FALSE(DocumentArchive::saveWaypointList(path, list, error));
    EXPECT_EQ(error, "cannot save \"" + path + "\": the waypoint list holds no waypoint at index 20000");
    EXPECT_EQ(fileBytes(path), previous);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"list.nvw"});
}

TEST(AtomicFile, KeepsPermissionsAndLinks)
{
    ScratchDirectory folder;
    const std::string existing = folder.write("existing", "x");
    ASSERT_EQ(::chmod(existing.c_str(), 0640), 0);
    std::string error;
    ASSERT_TRUE(AtomicFile::writeFile(existing, "new", error)) << error;
    EXPECT_EQ(permissionsOf(existing), 0640u);

    const mode_t previousMask = ::umask(027);
    const bool written = AtomicFile::writeFile(folder.file("new"), "new", error);
    ::umask(previousMask);
    ASSERT_TRUE(written) << error;
    EXPECT_EQ(permissionsOf(folder.file("new")), 0640u);

    // Through a link, what it points to is replaced.
    std::filesystem::create_symlink(existing, folder.file("link"));
    ASSERT_TRUE(AtomicFile::writeFile(folder.file("link"), "linked", error)) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(folder.file("link")));
    EXPECT_EQ(fileBytes(existing), "linked");
}

TEST(AtomicFile, ASaveRemovesTheStaleTemporariesOfItsOwnTarget)
{
    ScratchDirectory scratch;
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
    ASSERT_TRUE(AtomicFile::writeFile(scratch.file("harbour.nvw"), "new", error)) << error;
    EXPECT_EQ(log.lines(),
        std::vector<std::string>{
            "Removed " + scratch.file(".harbour.nvw.Ab3dE9").string() + ", left by a save that was interrupted"});
    EXPECT_EQ(scratch.entries(),
        (std::vector<std::string>{
            ".harbour.nvw.Zz0000", ".harbour.nvw.toolong1", ".marina.nvw.Ab3dE9", "harbour.nvw"}));
}

// Only a regular file of at most 256 MiB is read; a pipe is refused without
// waiting for a writer (none ever opens this one).
TEST(RegularFile, UnreadableFilesAreRefusedWithPathAndReason)
{
    ScratchDirectory folder;
    const std::string tooLarge = folder.write("huge.nvw", "");
    std::filesystem::resize_file(tooLarge, DocumentArchive::kMaxFileBytes + 1); // sparse
    const std::string fifo = folder.file("pipe.nvw");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        const char* reason;
    } rows[] = {{folder.file("missing.nvw"), "No such file or directory"}, {folder.file(""), "a folder, not a file"},
        {fifo, "not a regular file"}, {"/dev/zero", "not a regular file"}, {tooLarge, "larger than 256 MiB"},
        {folder.write("empty.nvw", ""), "the file is empty"}};
    for (const auto& row : rows) {
        std::string error;
        EXPECT_FALSE(DocumentArchive::loadWaypointList(row.path, error));
        EXPECT_NE(error.find(row.path), std::string::npos) << error;
        EXPECT_NE(error.find(row.reason), std::string::npos) << error;
    }
}

// A writer killed outright (kill -9) while appending: every point it was
// told was written reads back, whole, and nothing after a cut line.
TEST(TrackFile, AWriterKilledWhileWritingLeavesEveryWrittenPoint)
{
    ScratchDirectory folder;
    const std::string path = folder.file("tracks/track.csv").string();
    int written[2];
    ASSERT_EQ(::pipe(written), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TrackFile file;
        std::string error;
        if (!file.open(path, error))
            ::_exit(2);
        for (int i = 0;; ++i) {
            if (!file.append({1700000000.0 + i, 47.5 + i * 1e-5, 9.7, 396.5, 12.25}, error))
                ::_exit(3);
            // Told only once the point is in the file.
            if (::write(written[1], &i, sizeof i) != sizeof i)
                ::_exit(4);
        }
    }
    ::close(written[1]);
    int last = -1;
    for (int i = 0; i < 2000 && ::read(written[0], &last, sizeof last) == sizeof last; ++i) { }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(written[0]);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_GE(last, 1999);

    // As a power loss would leave it: a last line cut short.
    std::ofstream(path, std::ios::app) << "1800000000.000,47.6";
    std::string error;
    const std::vector<TrackPoint> points = TrackFile::read(path, error);
    ASSERT_GE(points.size(), static_cast<size_t>(last) + 1);
    for (size_t i = 0; i < points.size(); ++i) {
        ASSERT_EQ(points[i].time, 1700000000.0 + static_cast<double>(i)) << i;
        ASSERT_NEAR(points[i].latitude, 47.5 + static_cast<double>(i) * 1e-5, 1e-7) << i;
    }
    EXPECT_EQ(points.back().altitude, 396.5);
    EXPECT_EQ(points.back().speed, 12.25);
    EXPECT_TRUE(error.empty()) << error;

    // A line that is no point stops the reading there, and says so.
    std::ofstream(path, std::ios::app) << "\nnot,a,point\n1.0,1.0,1.0,1.0,1.0\n";
    EXPECT_EQ(TrackFile::read(path, error).size(), points.size());
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace navora::test
