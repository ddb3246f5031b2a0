#include "model/ArchiveSamples.h"
#include "support/ScratchDirectory.h"

#include "model/AtomicFile.h"
#include "model/DocumentArchive.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace navora::test {
namespace {

mode_t permissionsOf(const std::string& path)
{
    struct stat status { };
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

// Caps the size of any file this process writes, the way a full disk would
// stop a write midway. With SIGXFSZ ignored, the write fails with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &m_previous), 0);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = SIG_DFL;
};

TEST(AtomicFile, SaveReplacesTheFileAndLeavesNothingElse)
{
    ScratchDirectory folder;
    const std::string path = folder.write("list.nvw", "previous contents, longer than nothing");
    std::string error;
    ASSERT_TRUE(DocumentArchive::saveWaypointList(path, {}, error)) << error;
    const auto loaded = DocumentArchive::loadWaypointList(path, error);
    ASSERT_TRUE(loaded) << error;
    EXPECT_TRUE(loaded->empty());
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"list.nvw"});
}

TEST(AtomicFile, FailedOrUncommittedWritesKeepTheOldFile)
{
    ScratchDirectory folder;
    const std::string path = folder.file("route.nvr");
    std::string error;
    ASSERT_TRUE(DocumentArchive::saveRoute(path, *sampleRoute(), error)) << error;
    const std::string before = fileBytes(path);

    Route big;
    for (int i = 0; i < 2000; ++i)
        big.appendWaypoint(Waypoint::create("WP" + std::to_string(i), "comment", 10.0f, 20.0f, 30.0f));
    {
        const FileSizeLimit limit(4096);
        EXPECT_FALSE(DocumentArchive::saveRoute(path, big, error));
    }
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find("File too large"), std::string::npos) << error;
    {
        AtomicFile file(path);
        ASSERT_TRUE(file.open(error)) << error;
        ASSERT_TRUE(file.write("never committed", error)) << error;
    }
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"route.nvr"});

    const std::string missing = folder.file("no/such/folder/list.nvw");
    EXPECT_FALSE(DocumentArchive::saveWaypointList(missing, sampleWaypoints(), error));
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

TEST(AtomicFile, PermissionsOfTheOldFileOrOfANewFile)
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
}

TEST(AtomicFile, SaveThroughALinkReplacesWhatItPointsTo)
{
    ScratchDirectory folder;
    const std::string target = folder.write("target", "old");
    std::filesystem::create_symlink(target, folder.file("link"));
    std::string error;
    ASSERT_TRUE(AtomicFile::writeFile(folder.file("link"), "new", error)) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(folder.file("link")));
    EXPECT_EQ(fileBytes(target), "new");
}

} // namespace
} // namespace navora::test
