// The navigation displays: switching modes, the MiniNav's level, the CDI
// scales and the question before the navigation window closes.
#include "nav/NavGeometry.h"
#include "nav/NavHarness.h"

#include "core/NotificationNames.h"
#include "core/SettingsKeys.h"
#include "nav/DisplayFields.h"

#include <gtest/gtest.h>

namespace navora::test {
namespace {

namespace f = navora::fields;
constexpr double nm = NavGeometry::nm;

class NavDisplay : public testing::Test {
protected:
    RoutePtr leg = NavHarness::route("Leg", {{0.0, 0.0}, {10 * nm, 0.0}, {20 * nm, 0.0}});
    NavHarness nav;
};

TEST_F(NavDisplay, SwitchingModesClearsTheDisplayNowShowing)
{
    nav.report(5 * nm, 0.0, 5.0, 0.0, 0);
    nav.controller().activateRoute(leg, 1);
    nav.report(5 * nm, 0.0, 5.0, 0.0, 1);
    nav.controller().toggleMiniNav();
    EXPECT_TRUE(nav.controller().mnOn());
    DisplayState state = nav.shown();
    EXPECT_EQ(state.visible(f::window), false);
    EXPECT_EQ(state.visible(f::navDataWindow), false);
    EXPECT_EQ(state.field(f::miniNavWindow)->fronts, 1);
    EXPECT_EQ(state.field(f::miniNavWindow)->floating, true);
    EXPECT_EQ(state.text(f::mnDistance), "");
    EXPECT_EQ(state.enabled(f::mnCDI), false);

    nav.controller().showNav();
    EXPECT_EQ(nav.shown().field(f::miniNavWindow)->fronts, 2);

    nav.controller().toggleMiniNav();
    EXPECT_FALSE(nav.controller().mnOn());
    state = nav.shown();
    EXPECT_EQ(state.visible(f::miniNavWindow), false);
    EXPECT_GE(state.field(f::window)->fronts, 1);
    EXPECT_EQ(state.title(f::wpBox), "");
    EXPECT_EQ(state.text(f::wpDistance), "");
    nav.report(5 * nm, 0.0, 5.0, 0.0, 2);
    EXPECT_EQ(nav.shown().title(f::wpBox), "Leg: A->B (1 of 2)");
}

TEST_F(NavDisplay, MiniNavLevelFollowsTheSetting)
{
    nav.harness.settings.setBool(TRVFloatMiniKey, false);
    nav.controller().toggleMiniNav();
    EXPECT_EQ(nav.shown().field(f::miniNavWindow)->floating, false);
    ControlState box;
    box.state = true;
    nav.harness.center.post(TRVMNFloatChanged, NotificationObject(box));
    EXPECT_EQ(nav.shown().field(f::miniNavWindow)->floating, true);
    nav.controller().toggleMiniNav();
    box.state = false;
    nav.harness.center.post(TRVMNFloatChanged, NotificationObject(box));
    EXPECT_EQ(nav.shown().field(f::miniNavWindow)->floating, false);
    EXPECT_EQ(nav.shown().visible(f::miniNavWindow), false);
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
        ControlState matrix;
        matrix.selectedColumn = row.column;
        nav.controller().changeCDIScale(matrix);
        EXPECT_EQ(nav.controller().cdiRange(), std::make_pair(row.minimum, row.maximum)) << row.column;
    }
    const DisplayState state = nav.shown();
    const DisplayState::Field* cdi = state.field(f::wpCrossTrackCDI);
    ASSERT_TRUE(cdi);
    EXPECT_EQ(cdi->range, std::make_pair(-1.0, 1.0));
}

TEST_F(NavDisplay, ClosingTheNavigationWindowAsksFirst)
{
    std::vector<std::string> asked;
    bool answer = false;
    nav.controller().setStopQuestion(
        [&](std::string_view title, std::string_view message, std::string_view yes, std::string_view no) {
            asked.emplace_back(title);
            EXPECT_EQ(message,
                "Closing this window will stop route navigation and deactivate the current route/waypoint (if "
                "any).  Do you want to close this window?");
            EXPECT_EQ(yes, "Yes");
            EXPECT_EQ(no, "No");
            return answer;
        });
    nav.controller().activateRoute(leg, 1);
    nav.routesAnnounced.clear();
    EXPECT_TRUE(nav.controller().windowShouldClose(f::miniNavWindow));
    EXPECT_TRUE(asked.empty());
    EXPECT_FALSE(nav.controller().windowShouldClose(f::navDataWindow));
    EXPECT_EQ(nav.controller().activeRoute(), leg);
    answer = true;
    EXPECT_TRUE(nav.controller().windowShouldClose(f::navDataWindow));
    EXPECT_FALSE(nav.controller().activeWaypoint());
    ASSERT_EQ(nav.routesAnnounced.size(), 1u);
    EXPECT_EQ(nav.routesAnnounced[0], nullptr);
    // Asked again when nothing is active; "Yes" announces none all the same.
    EXPECT_TRUE(nav.controller().windowShouldClose(f::navDataWindow));
    EXPECT_EQ(asked.size(), 3u);
    EXPECT_EQ(nav.routesAnnounced.size(), 2u);
}

} // namespace
} // namespace navora::test
