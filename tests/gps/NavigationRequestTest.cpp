// What "--navigate" accepts: route and list files, the choice checked
// against the file before anything connects, and activation once a
// position is known.
#include "gps/NavHarness.h"
#include "nav/NavGeometry.h"

#include "gps/NavigationRequest.h"
#include "model/DocumentArchive.h"
#include "support/LogCapture.h"
#include "support/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <vector>

namespace navora::test {
namespace {

constexpr double nm = NavGeometry::nm;

class Navigate : public testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        RoutePtr route = NavHarness::route("R", {{0.0, 0.0}, {10 * nm, 0.0}, {20 * nm, 0.0}});
        ASSERT_TRUE(DocumentArchive::saveRoute(path("r.nvr"), *route, error));
        ASSERT_TRUE(DocumentArchive::saveRoute(path("one.nvr"), *NavHarness::route("One", {{0.0, 0.0}}), error));
        ASSERT_TRUE(DocumentArchive::saveWaypointList(path("l.nvw"), route->routeWaypoints(), error));
        std::ofstream(path("bad.nvr")) << "not an archive";
    }

    std::string path(const char* name) { return scratch.file(name).string(); }

    ScratchDirectory scratch;
};

TEST_F(Navigate, FilesAndChoicesAreCheckedFirst)
{
    struct Row {
        const char* file;
        std::optional<int> index;
        bool join;
        std::optional<std::string> waypoint;
        const char* logged; // nullptr: accepted
    };
    const Row rows[] = {
        {"r.nvr", 2, false, {}, nullptr},
        {"r.nvr", {}, true, {}, nullptr},
        {"l.nvw", {}, false, "B", nullptr},
        {"r.nvr", 3, false, {}, "index 3 is outside its 3 waypoints"},
        {"one.nvr", {}, true, {}, "joining needs a route of at least two waypoints"},
        {"l.nvw", {}, false, "Z", "it has no waypoint named \"Z\""},
        {"l.nvw", {}, false, {}, "a waypoint list needs --waypoint NAME"},
        {"bad.nvr", 0, false, {}, "Cannot navigate"},
        {"missing.nvr", 0, false, {}, "Cannot navigate"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        LogCapture log;
        const auto request = NavigationRequest::load({path(row.file), row.index, row.join, row.waypoint});
        EXPECT_EQ(request.has_value(), row.logged == nullptr);
        if (row.logged) {
            ASSERT_EQ(log.lines().size(), 1u);
            EXPECT_NE(log.lines()[0].find(row.logged), std::string::npos) << log.lines()[0];
        }
    }
}

// Direct to the waypoint at the index, once, at the first position; a
// document's route on the thread that owns it, when that thread gets to it.
TEST_F(Navigate, ActivatesOnceAPositionIsKnown)
{
    NavHarness nav;
    auto request = NavigationRequest::load({path("r.nvr"), 2, false, {}});
    ASSERT_TRUE(request);
    request->start(nav.controller(), nav.harness.center);
    EXPECT_FALSE(nav.controller().activeWaypoint());
    nav.report(5 * nm, 0.0, 5.0, 0.0, 0);
    ASSERT_TRUE(nav.controller().activeWaypoint());
    EXPECT_EQ(nav.controller().activeWaypoint()->wpName(), "C");
    EXPECT_EQ(nav.controller().prevWaypoint()->wpName(), "PPOS");
    EXPECT_EQ(nav.controller().activeRoute(), request->route());
    nav.controller().activateRoute(nullptr, 0);
    nav.report(6 * nm, 0.0, 5.0, 0.0, 1);
    EXPECT_FALSE(nav.controller().activeWaypoint()) << "later positions do not activate again";
    request->stop(nav.harness.center);

    auto join = NavigationRequest::load({path("r.nvr"), {}, true, {}});
    join->start(nav.controller(), nav.harness.center); // a position is held: at once
    EXPECT_EQ(nav.controller().activeRoute()->activeIndex(), 1);
    join->stop(nav.harness.center);

    NavHarness owned;
    std::vector<std::function<void()>> handedOver;
    request = NavigationRequest::load({path("r.nvr"), 2, false, {}});
    request->start(owned.controller(), owned.harness.center,
        [&handedOver](std::function<void()> work) { handedOver.push_back(std::move(work)); });
    owned.report(5 * nm, 0.0, 5.0, 0.0, 0);
    ASSERT_EQ(handedOver.size(), 1u);
    EXPECT_FALSE(owned.controller().activeWaypoint());
    handedOver[0]();
    ASSERT_TRUE(owned.controller().activeWaypoint());
    EXPECT_EQ(owned.controller().activeWaypoint()->wpName(), "C");
    request->stop(owned.harness.center);
}

// An open document's own objects replace the file's copies when they match.
TEST_F(Navigate, AdoptsAnOpenDocumentsMatchingObjects)
{
    const RoutePtr open = NavHarness::route("Open", {{0.0, 0.0}, {1.0, 1.0}, {2.0, 2.0}});
    auto list = NavigationRequest::load({path("l.nvw"), {}, false, "B"});
    ASSERT_TRUE(list && list->adopt(nullptr, open->routeWaypoints()));
    EXPECT_EQ(list->waypoint(), open->waypointAtIndex(1)) << "the one named B";
    auto route = NavigationRequest::load({path("r.nvr"), 2, false, {}});
    EXPECT_FALSE(route->adopt(NavHarness::route("Short", {{0.0, 0.0}}), {}));
    ASSERT_TRUE(route->adopt(open, {}));
    EXPECT_EQ(route->route(), open);
    EXPECT_EQ(route->waypoint(), open->waypointAtIndex(2));
}

} // namespace
} // namespace navora::test
