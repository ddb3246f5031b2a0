// The navigation displays: switching modes, the MiniNav's level, the CDI
// scales and the question before the navigation window closes.
#include "nav/EngineHarness.h"
#include "nav/NavGeometry.h"

#include "nav/DisplayFields.h"

#include <gtest/gtest.h>

namespace navora::test {
namespace {

namespace f = navora::fields;
constexpr double nm = NavGeometry::nm;

class NavDisplay : public testing::Test {
protected:
    RoutePtr leg = EngineHarness::route("Leg", {{0.0, 0.0}, {10 * nm, 0.0}, {20 * nm, 0.0}});
    EngineHarness nav;
};

TEST_F(NavDisplay, SwitchingModesClearsTheDisplayNowShowing)
{
    nav.report(5 * nm, 0.0, 5.0, 0.0, 0);
    nav.keep(nav.engine.activateRoute(leg, 1));
    nav.report(5 * nm, 0.0, 5.0, 0.0, 1);
    nav.keep(nav.engine.toggleMiniNav(true));
    EXPECT_TRUE(nav.state().mnOn);
    DisplayState state = nav.shown;
    EXPECT_EQ(state.visible(f::window), false);
    EXPECT_EQ(state.visible(f::navDataWindow), false);
    EXPECT_EQ(state.field(f::miniNavWindow)->fronts, 1);
    EXPECT_EQ(state.field(f::miniNavWindow)->floating, true);
    EXPECT_EQ(state.text(f::mnDistance), "");
    EXPECT_EQ(state.enabled(f::mnCDI), false);

    nav.keep(nav.engine.showNav());
    EXPECT_EQ(nav.shown.field(f::miniNavWindow)->fronts, 2);

    nav.keep(nav.engine.toggleMiniNav(true));
    EXPECT_FALSE(nav.state().mnOn);
    state = nav.shown;
    EXPECT_EQ(state.visible(f::miniNavWindow), false);
    EXPECT_GE(state.field(f::window)->fronts, 1);
    EXPECT_EQ(state.title(f::wpBox), "");
    EXPECT_EQ(state.text(f::wpDistance), "");
    nav.report(5 * nm, 0.0, 5.0, 0.0, 2);
    EXPECT_EQ(nav.shown.title(f::wpBox), "Leg: A->B (1 of 2)");
}

TEST_F(NavDisplay, MiniNavLevelFollowsTheSettingAndTheCheckBox)
{
    nav.keep(nav.engine.toggleMiniNav(false));
    EXPECT_EQ(nav.shown.field(f::miniNavWindow)->floating, false);
    nav.keep(nav.engine.setMiniNavFloating(true));
    EXPECT_EQ(nav.shown.field(f::miniNavWindow)->floating, true);
    nav.keep(nav.engine.toggleMiniNav(false));
    nav.keep(nav.engine.setMiniNavFloating(false));
    EXPECT_EQ(nav.shown.field(f::miniNavWindow)->floating, false);
    EXPECT_EQ(nav.shown.visible(f::miniNavWindow), false);
}

TEST_F(NavDisplay, CdiScalesByColumn)
{
    struct Row {
        int column;
        double minimum;
        double maximum;
    };
    for (const Row row :
        {Row{0, -5.0, 5.0}, Row{2, -0.3, 0.3}, Row{3, -0.3, 0.3}, Row{-1, -0.3, 0.3}, Row{1, -1.0, 1.0}}) {
        nav.keep(nav.engine.changeCDIScale(row.column));
        EXPECT_EQ(nav.state().cdiMinimum, row.minimum) << row.column;
        EXPECT_EQ(nav.state().cdiMaximum, row.maximum) << row.column;
        EXPECT_EQ(nav.shown.field(f::wpCrossTrackCDI)->range, std::make_pair(row.minimum, row.maximum));
    }
    // The choice keeps its place in other units: the middle one is 2 km.
    nav.keep(nav.engine.changeUnits('m'));
    EXPECT_NEAR(nav.state().cdiMaximum, 2000 / 1852.0, 1e-9);
    EXPECT_NEAR(nav.shown.field(f::wpCrossTrackCDI)->range->first, -2000 / 1852.0, 1e-9);
}

TEST(CloseQuestion, OnlyTheNavigationWindowAsksBeforeClosing)
{
    struct Row {
        std::string_view window;
        bool asks;
    };
    for (const Row row : {Row{f::navDataWindow, true}, Row{f::miniNavWindow, false}, Row{f::window, false},
             Row{"somethingElse", false}}) {
        const std::optional<NavEngine::CloseQuestion> question = NavEngine::closeQuestion(row.window);
        ASSERT_EQ(question.has_value(), row.asks) << row.window;
        if (!question)
            continue;
        EXPECT_EQ(question->title, "Stop route navigation?");
        EXPECT_EQ(question->message,
            "Closing this window will stop route navigation and deactivate the current route/waypoint (if "
            "any).  Do you want to close this window?");
        EXPECT_EQ(question->yes, "Yes");
        EXPECT_EQ(question->no, "No");
    }
}

} // namespace
} // namespace navora::test
