// A window's frame moved onto the screen's available area, and cut down to
// it where larger.
#include "core/ScreenFit.h"

#include <gtest/gtest.h>

namespace navora::test {
namespace {

TEST(ScreenFit, MovesTheFrameTheLeastThatShowsAllOfIt)
{
    // A 1600x1000 screen, and one with a 32-pixel panel at the top.
    const QRect screen(0, 0, 1600, 1000);
    const QRect paneled(0, 32, 1600, 968);
    // A second screen to the right of the first.
    const QRect right(1600, 0, 1280, 1024);
    struct Row {
        const char* what;
        QRect frame;
        QRect available;
        QRect placed;
    };
    const Row rows[] = {
        {"inside", {100, 100, 400, 300}, screen, {100, 100, 400, 300}},
        {"touching every edge", {0, 0, 1600, 1000}, screen, {0, 0, 1600, 1000}},
        {"below the bottom", {776, 608, 824, 407}, screen, {776, 593, 824, 407}},
        {"past the right", {1400, 24, 300, 200}, screen, {1300, 24, 300, 200}},
        {"above and left", {-50, -20, 300, 200}, screen, {0, 0, 300, 200}},
        {"under the panel", {200, 10, 300, 200}, paneled, {200, 32, 300, 200}},
        {"larger than the screen", {10, 10, 2000, 1200}, screen, {0, 0, 1600, 1000}},
        {"taller only", {500, 300, 400, 1100}, paneled, {500, 32, 400, 968}},
        {"on a screen no longer there", {1700, 100, 400, 300}, screen, {1200, 100, 400, 300}},
        {"onto the screen to the right", {100, 900, 400, 300}, right, {1600, 724, 400, 300}},
        {"no screen area", {-500, -500, 300, 200}, QRect(), {-500, -500, 300, 200}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ScreenFit::fitted(row.frame, row.available), row.placed) << row.what;
}

} // namespace
} // namespace navora::test
