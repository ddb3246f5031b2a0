#include "model/TrackFile.h"

#include "support/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

namespace navora {
namespace {

// A writer killed outright (kill -9) while appending: every point it was
// told was written reads back, whole, and nothing after a cut line.
TEST(TrackFile, AWriterKilledWhileWritingLeavesEveryWrittenPoint)
{
    test::ScratchDirectory folder;
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
} // namespace navora
