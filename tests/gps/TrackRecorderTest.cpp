// The track log's recorder: tracks begin at a long gap or on request, each in
// its own file, and what a file holds reads back as the track it recorded.
#include "gps/TrackRecorder.h"
#include "model/TrackFile.h"
#include "support/ScratchDirectory.h"

#include <gtest/gtest.h>

namespace navora::test {
namespace {

// A point each minute, heading north at a knot: every one is kept.
TrackPoint minute(int n)
{
    return {1714564800.0 + 60.0 * n, 54.0 + n / 3600.0, 10.0, 0.0, 1.0};
}

std::vector<double> times(const std::vector<TrackPoint>& track)
{
    std::vector<double> result;
    for (const TrackPoint& point : track)
        result.push_back(point.time);
    return result;
}

TEST(TrackRecorder, ANewTrackOnRequestOrAfterAGapStartsItsOwnFile)
{
    ScratchDirectory scratch;
    TrackRecorder recorder(scratch.path().string());
    std::vector<std::string> files;
    for (int n = 0; n < 3; ++n)
        recorder.take(minute(n));
    files.push_back(recorder.currentFile());
    recorder.startNewTrack();
    EXPECT_TRUE(recorder.currentTrack().empty());
    // A minute after the last point kept: the thinner alone would keep it.
    recorder.take(minute(3));
    recorder.take(minute(4));
    files.push_back(recorder.currentFile());
    EXPECT_EQ(times(recorder.currentTrack()), times({minute(3), minute(4)}));
    recorder.take(minute(15)); // eleven minutes without a fix
    EXPECT_EQ(times(recorder.currentTrack()), times({minute(15)}));
    files.push_back(recorder.currentFile());

    EXPECT_NE(files[0], files[1]);
    EXPECT_NE(files[1], files[2]);
    std::string error;
    EXPECT_EQ(times(TrackFile::read(files[0], error)), times({minute(0), minute(1), minute(2)})) << error;
    EXPECT_EQ(times(TrackFile::read(files[1], error)), times({minute(3), minute(4)})) << error;
    EXPECT_EQ(scratch.entries().size(), 3u);
}

} // namespace
} // namespace navora::test
