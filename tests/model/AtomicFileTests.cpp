#include "model/ArchiveSamples.h"
#include "model/TempDir.h"

#include "model/AtomicFile.h"
#include "model/DocumentArchive.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <sys/stat.h>

namespace navora::test {
namespace {

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

mode_t permissionsOf(const std::string& path)
{
    struct stat status { };
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

WaypointList manyWaypoints(size_t count)
{
    WaypointList list;
    for (size_t i = 0; i < count; ++i)
        list.push_back(Waypoint::create("WP" + std::to_string(i), "comment", 10.0f, 20.0f, 30.0f));
    return list;
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
    TempDir folder;
    const std::string path = folder.file("list.nvw");
    std::ofstream(path) << "previous contents, longer than nothing";
    std::string error;
    ASSERT_TRUE(DocumentArchive::saveWaypointList(path, {}, error)) << error;

    const auto loaded = DocumentArchive::loadWaypointList(path, error);
    ASSERT_TRUE(loaded) << error;
    EXPECT_TRUE(loaded->empty());
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"list.nvw"});
}

TEST(AtomicFile, WriteFailingMidwayKeepsTheOldFile)
{
    TempDir folder;
    const std::string path = folder.file("route.nvr");
    std::string error;
    ASSERT_TRUE(DocumentArchive::saveRoute(path, *sampleRoute(), error)) << error;
    const std::string before = fileBytes(path);

    Route big;
    big.setRouteWaypoints(manyWaypoints(2000));
    {
        const FileSizeLimit limit(4096);
        EXPECT_FALSE(DocumentArchive::saveRoute(path, big, error));
    }
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find("File too large"), std::string::npos) << error;
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"route.nvr"});
}

TEST(AtomicFile, SaveIntoAMissingFolderFails)
{
    TempDir folder;
    const std::string path = folder.file("no/such/folder/list.nvw");
    std::string error;
    EXPECT_FALSE(DocumentArchive::saveWaypointList(path, sampleWaypoints(), error));
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

TEST(AtomicFile, PermissionsOfTheOldFileOrOfANewFile)
{
    TempDir folder;
    const std::string existing = folder.file("existing");
    std::ofstream(existing) << "x";
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
    TempDir folder;
    const std::string target = folder.file("target");
    const std::string link = folder.file("link");
    std::ofstream(target) << "old";
    std::filesystem::create_symlink(target, link);
    std::string error;
    ASSERT_TRUE(AtomicFile::writeFile(link, "new", error)) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(fileBytes(target), "new");
}

TEST(AtomicFile, UncommittedWriteLeavesTheTargetAlone)
{
    TempDir folder;
    const std::string path = folder.file("kept");
    std::ofstream(path) << "old";
    std::string error;
    {
        AtomicFile file(path);
        ASSERT_TRUE(file.open(error)) << error;
        ASSERT_TRUE(file.write("never committed", error)) << error;
    }
    EXPECT_EQ(fileBytes(path), "old");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"kept"});
}

} // namespace
} // namespace navora::test
