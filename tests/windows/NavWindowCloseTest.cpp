// Closing the navigation window asks whether to stop navigating; the other
// windows close without a question.
#include "windows/WindowHarness.h"

#include "nav/DisplayFields.h"
#include "nav/NavGeometry.h"

#include <gtest/gtest.h>

namespace navora::test {
namespace {

namespace f = navora::fields;
constexpr double nm = NavGeometry::nm;

class NavWindowClose : public testing::Test {
protected:
    void SetUp() override
    {
        RoutePtr route = Route::create();
        route->setRouteName("Coast");
        route->appendWaypoint(Waypoint::create("A", "", 0.0f, 0.0f, 0.0f));
        route->appendWaypoint(Waypoint::create("B", "", static_cast<float>(10 * nm), 0.0f, 0.0f));
        harness.report(2 * nm, 0.0, 5.0, 0.0, 0);
        harness.controller().activateRoute(route, 1);
        harness.controller().showNav();
        navWindow = harness.windows().window(f::navDataWindow);
        ASSERT_TRUE(navWindow->isVisible());
    }

    WindowHarness harness;
    QWidget* navWindow = nullptr;
};

TEST_F(NavWindowClose, AnsweringNoKeepsTheWindowAndTheNavigation)
{
    harness.answers = {false};
    EXPECT_FALSE(navWindow->close());
    ASSERT_EQ(harness.questions, std::vector<std::string>{"Stop route navigation?"});
    EXPECT_TRUE(navWindow->isVisible());
    EXPECT_NE(harness.controller().activeWaypoint(), nullptr);
    harness.report(3 * nm, 0.0, 5.0, 0.0, 1);
    EXPECT_EQ(harness.shown(f::wpBox), "Coast: A->B (end)");
    EXPECT_FALSE(harness.shown(f::wpDistance).isEmpty());
}

TEST_F(NavWindowClose, AnsweringYesClosesAndStopsNavigating)
{
    harness.answers = {true};
    EXPECT_TRUE(navWindow->close());
    EXPECT_EQ(harness.questions.size(), 1u);
    EXPECT_FALSE(navWindow->isVisible());
    EXPECT_EQ(harness.controller().activeWaypoint(), nullptr);
    EXPECT_EQ(harness.controller().activeRoute(), nullptr);
    harness.report(3 * nm, 0.0, 5.0, 0.0, 1);
    EXPECT_EQ(harness.shown(f::wpBox), "");
    EXPECT_EQ(harness.shown(f::wpDistance), "");
}

TEST_F(NavWindowClose, OtherWindowsCloseWithoutAQuestion)
{
    harness.windows().showWindow();
    QWidget* gpsWindow = harness.windows().window(f::window);
    EXPECT_TRUE(gpsWindow->isVisible());
    EXPECT_TRUE(gpsWindow->close());
    harness.controller().toggleMiniNav();
    QWidget* mini = harness.windows().window(f::miniNavWindow);
    EXPECT_TRUE(mini->close());
    EXPECT_TRUE(harness.questions.empty());
    // The MiniNav stays the display: written while closed.
    EXPECT_TRUE(harness.controller().mnOn());
    harness.report(3 * nm, 0.0, 5.0, 0.0, 1);
    EXPECT_EQ(harness.shown(f::mnBox), "3D fix - A->B");
}

TEST_F(NavWindowClose, StoppingTheGpsClosesAllThreeWithoutAsking)
{
    harness.windows().showWindow();
    harness.controller().stopAll();
    for (const std::string_view name : {f::window, f::navDataWindow, f::miniNavWindow})
        EXPECT_FALSE(harness.windows().window(name)->isVisible()) << name;
    EXPECT_TRUE(harness.questions.empty());
    EXPECT_EQ(harness.controller().activeWaypoint(), nullptr);
}

} // namespace
} // namespace navora::test
