// "TRVcpUpdated" and "TRVRouteIsActive" can arrive on the GPS thread; the
// documents apply them on the user-interface thread only. Qt Core only, no
// widgets: the thread sanitizer sees our own hand-over.
#include "documents/DocumentFakes.h"

#include "core/NotificationNames.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace navora {
namespace {

TEST(DocumentThreadTest, PositionAndRouteNotificationsFromAnotherThreadReachTheWindowsOnTheirThread)
{
    test::Desk desk;
    auto waypoints = desk.list({});
    auto route = desk.route({});
    const WaypointPtr ppos = Waypoint::create("PPOS", "", 1.0f, 2.0f, 3.0f);
    const RoutePtr active = route->route();
    // A hand-over waits for the event loop.
    std::thread([&] { desk.center.post(TRVRouteIsActive, active); }).join();
    EXPECT_FALSE(route->routeLocked());
    QCoreApplication::processEvents();
    EXPECT_TRUE(route->routeLocked());

    std::atomic<bool> done = false;
    std::thread gps([&] {
        for (int i = 0; i < 200; ++i) {
            // The GPS controller moves its position as it posts.
            ppos->setPosition(1.0f + static_cast<float>(i) * 0.001f, 2.0f, 3.0f, "fix");
            desk.center.post(TRVcpUpdated, i % 2 == 0 ? NotificationObject(ppos) : NotificationObject());
            desk.center.post(TRVRouteIsActive, i % 2 == 0 ? NotificationObject() : NotificationObject(active));
        }
        desk.center.post(TRVcpUpdated, ppos);
        done = true;
    });
    // Meanwhile the user-interface thread runs its events and reads.
    while (!done) {
        QCoreApplication::processEvents();
        (void)waypoints->form().isEnabled(field::showNearestButton);
        (void)route->routeLocked();
    }
    gps.join();
    // Whatever the last posts queued arrives with the next events.
    QCoreApplication::processEvents();
    EXPECT_EQ(desk.view(*waypoints).offThread + desk.view(*route).offThread, 0);
    EXPECT_TRUE(desk.view(*route).lockShown);
    EXPECT_TRUE(route->routeLocked());
    EXPECT_EQ(waypoints->currentPos(), ppos);
    EXPECT_TRUE(waypoints->form().isEnabled(field::showNearestButton));
    EXPECT_FALSE(route->form().isEnabled(field::routeReverseButton));

    // A document gone before the event loop runs drops what was queued.
    std::thread([&] { desk.center.post(TRVcpUpdated, ppos); }).join();
    test::RecordingView& view = desk.view(*waypoints);
    desk.close(*waypoints);
    waypoints.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(view.offThread, 0);
}

} // namespace
} // namespace navora
