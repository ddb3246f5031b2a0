// Log::Batch, which the imports use so that a line per placemark of a long
// file costs no system call per line.
#include "io/IoTestSupport.h"

#include "support/LogCapture.h"

#include <fcntl.h>
#include <unistd.h>

namespace navora::test {
namespace {

// Standard error goes to a file while it lives.
class StandardErrorToFile {
public:
    explicit StandardErrorToFile(const std::string& path)
    {
        std::fflush(stderr);
        m_saved = ::dup(2);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 2);
        ::close(fd);
    }
    ~StandardErrorToFile()
    {
        std::fflush(stderr);
        ::dup2(m_saved, 2);
        ::close(m_saved);
    }
    StandardErrorToFile(const StandardErrorToFile&) = delete;
    StandardErrorToFile& operator=(const StandardErrorToFile&) = delete;

private:
    int m_saved = -1;
};

TEST(LogBatch, GathersStandardErrorLinesUntilItEnds)
{
    ScratchFolder folder;
    const std::string path = folder.path("stderr.txt");
    {
        StandardErrorToFile redirect(path);
        {
            Log::Batch batch;
            Log::line("first");
            {
                Log::Batch inner;
                Log::format("second %d", 2);
            }
            Log::line("third\nline");
            EXPECT_EQ(readBytes(path), "");
        }
        EXPECT_EQ(readBytes(path), "first\nsecond 2\nthird line\n");
        Log::line("after");
    }
    EXPECT_EQ(readBytes(path), "first\nsecond 2\nthird line\nafter\n");
}

TEST(LogBatch, WritesLongBatchesOnTheWay)
{
    ScratchFolder folder;
    const std::string path = folder.path("stderr.txt");
    StandardErrorToFile redirect(path);
    Log::Batch batch;
    const std::string line(1000, 'x');
    for (int i = 0; i < 100; ++i)
        Log::line(line);
    EXPECT_GE(readBytes(path).size(), 64u * 1024u);
}

TEST(LogBatch, SinksStillGetEveryLineAtOnce)
{
    LogCapture capture;
    Log::Batch batch;
    Log::line("now");
    EXPECT_EQ(capture.lines(), std::vector<std::string>{"now"});
}

} // namespace
} // namespace navora::test
