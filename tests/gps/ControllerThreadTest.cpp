// Reports on one thread, advancing the route at each passage, while another,
// as the route's document does, renames, reorders and Directs-To the active
// route, switches the display and reads the state. Run under ThreadSanitizer
// with the threaded tests.
#include "gps/NavHarness.h"
#include "nav/NavGeometry.h"

#include "core/NotificationNames.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace navora::test {
namespace {

constexpr double nm = NavGeometry::nm;

TEST(NavThreads, ActivationsWhileReportsArrive)
{
    NavHarness nav;
    // A zig-zag with sharp turns, so passages happen inside passes.
    RoutePtr zig = NavHarness::route("Zig",
        {{0.0, 0.0}, {1 * nm, 0.0}, {0.2 * nm, 0.2 * nm}, {1.2 * nm, 0.4 * nm}, {0.4 * nm, 0.6 * nm},
            {1.4 * nm, 0.8 * nm}});
    std::atomic<int> announced{0};
    nav.harness.center.addObserver(&announced, TRVRouteIsActive, [&](const NotificationObject&) { ++announced; });
    nav.controller().activateRoute(zig, 1);

    // The two threads pace each other at one round of edits per four reports,
    // so neither starves the other (a slow instrumented build included).
    constexpr int reports = 6000;
    std::atomic<bool> done{false};
    std::atomic<int> round{0};
    std::atomic<int> reported{0};
    std::thread gps([&] {
        // Back and forth across the route's waypoints, passing each.
        for (int t = 0; t < reports; ++t) {
            const double lat = (t % 40 < 20 ? t % 20 : 20 - t % 20) * 0.07 * nm;
            nav.report(lat, 0.02 * (t % 30) * nm, 8.0, t % 40 < 20 ? 0.0 : 180.0, t);
            reported = t + 1;
            while (round < t / 4)
                std::this_thread::yield();
        }
        done = true;
    });
    while (!done) {
        if (round > reported / 4 + 1) {
            std::this_thread::yield();
            continue;
        }
        const int step = round++;
        if (step % 5 == 0) { // Direct To, as the route window asks for it
            const auto index = static_cast<size_t>(1 + step % 4);
            zig->setActiveIndex(static_cast<int32_t>(index));
            nav.harness.center.post(TRVRouteActivated, NotificationObject(zig));
            nav.harness.center.post(TRVWaypointActivated, NotificationObject(zig->waypointAtIndex(index)));
        } else if (step % 5 == 1) {
            zig->setRouteName("Zig " + std::to_string(step));
            nav.harness.center.post(TRVRouteEdited, NotificationObject(zig));
        } else if (step % 5 == 2) {
            WaypointList reordered = zig->routeWaypoints();
            std::swap(reordered[2], reordered[4]);
            zig->setRouteWaypoints(std::move(reordered));
            nav.harness.center.post(TRVRouteEdited, NotificationObject(zig));
        } else if (step % 5 == 3) {
            nav.controller().toggleMiniNav();
        } else {
            (void)nav.controller().legCache();
            (void)nav.controller().sequencingState();
            (void)nav.controller().nextWaypoint();
        }
        std::this_thread::yield();
    }
    gps.join();
    EXPECT_GE(round, reports / 4 - 1);
    nav.controller().activateRoute(nullptr, 0);
    nav.harness.center.removeObserver(&announced);
    EXPECT_FALSE(nav.controller().activeWaypoint());
    EXPECT_GT(announced, 0);
}

} // namespace
} // namespace navora::test
