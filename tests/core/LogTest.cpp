#include "support/LogCapture.h"
#include "support/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace navora {
namespace {

TEST(Log, EachCallIsOneWholeLine)
{
    test::LogCapture capture;
    const std::string name(5000, 'n');
    Log::line("loaded Harbour");
    Log::format("Unknown units - %c, row %d", 'x', 7);
    Log::line("two\nlines");
    Log::format("loaded %s", name.c_str());
    EXPECT_EQ(capture.lines(),
        (std::vector<std::string>{"loaded Harbour", "Unknown units - x, row 7", "two lines", "loaded " + name}));
}

TEST(Log, LinesFromManyThreadsAllArrive)
{
    test::LogCapture capture;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 500; ++i)
                Log::line("tick");
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(capture.count("tick"), 2000u);
}

// Standard error goes to a file while it lives.
struct StandardErrorToFile {
    explicit StandardErrorToFile(const std::string& path)
    {
        std::fflush(stderr);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 2);
        ::close(fd);
    }
    ~StandardErrorToFile()
    {
        std::fflush(stderr);
        ::dup2(saved, 2);
        ::close(saved);
    }
    const int saved = ::dup(2);
};

// A batch (an import's line per placemark) holds standard error's lines back
// until it ends, or until they are many; sinks still get each line at once.
TEST(LogBatch, GathersStandardErrorLinesUntilItEndsOrGrowsLong)
{
    test::ScratchDirectory folder;
    const std::string path = folder.file("stderr.txt");
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
            EXPECT_EQ(test::fileBytes(path), "");
            test::LogCapture capture;
            Log::line("now");
            EXPECT_EQ(capture.lines(), std::vector<std::string>{"now"});
        }
        EXPECT_EQ(test::fileBytes(path), "first\nsecond 2\nthird line\n");
        Log::line("after");
        EXPECT_EQ(test::fileBytes(path), "first\nsecond 2\nthird line\nafter\n");

        Log::Batch batch;
        for (int i = 0; i < 100; ++i)
            Log::line(std::string(1000, 'x'));
        EXPECT_GE(test::fileBytes(path).size(), 64u * 1024u);
    }
}

} // namespace
} // namespace navora
