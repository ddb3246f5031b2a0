#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace navora {
namespace {

TEST(Log, EachCallIsOneLine)
{
    test::LogCapture capture;
    Log::line("loaded Harbour");
    Log::format("Unknown units - %c", 'x');
    Log::format("Unknown units - row %d - selected", 7);
    Log::line("two\nlines");
    EXPECT_EQ(capture.lines(),
        (std::vector<std::string>{
            "loaded Harbour", "Unknown units - x", "Unknown units - row 7 - selected", "two lines"}));
}

TEST(Log, LongLinesAreKeptWhole)
{
    test::LogCapture capture;
    const std::string name(5000, 'n');
    Log::format("loaded %s", name.c_str());
    ASSERT_EQ(capture.lines().size(), 1u);
    EXPECT_EQ(capture.lines()[0], "loaded " + name);
}

TEST(Log, CapturesNestAndRestore)
{
    test::LogCapture outer;
    {
        test::LogCapture inner;
        Log::line("inner");
        EXPECT_TRUE(inner.contains("inner"));
    }
    Log::line("outer");
    EXPECT_EQ(outer.lines(), std::vector<std::string>{"outer"});
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

} // namespace
} // namespace navora
