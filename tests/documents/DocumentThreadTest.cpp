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
    std::atomic<bool> done = false;
    std::thread gps([&] {
        for (int i = 0; i < 200; ++i) {
            // The GPS controller moves its position as it posts.
            ppos->setPosition(1.0f + static_cast<float>(i) * 0.001f, 2.0f, 3.0f, "fix");
            desk.center.post(TRVcpUpdated, i % 2 == 0 ? NotificationObject(ppos) : NotificationObject());
            desk.center.post(TRVRouteIsActive, i % 2 == 0 ? NotificationObject(active) : NotificationObject());
        }
        desk.center.post(TRVcpUpdated, ppos);
        desk.center.post(TRVRouteIsActive, active);
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
    EXPECT_EQ(desk.view(*waypoints).offThread, 0);
    EXPECT_EQ(desk.view(*route).offThread, 0);
    EXPECT_TRUE(desk.view(*route).lockShown);
    EXPECT_TRUE(route->routeLocked());
    EXPECT_EQ(waypoints->currentPos(), ppos);
    EXPECT_TRUE(waypoints->form().isEnabled(field::showNearestButton));
    EXPECT_FALSE(route->form().isEnabled(field::routeReverseButton));
}

TEST(DocumentThreadTest, AHandOverFromAnotherThreadWaitsForTheEventLoop)
{
    test::Desk desk;
    auto route = desk.route({});
    std::thread gps([&] { desk.center.post(TRVRouteIsActive, route->route()); });
    gps.join();
    EXPECT_FALSE(route->routeLocked());
    QCoreApplication::processEvents();
    EXPECT_TRUE(route->routeLocked());

    // A document gone before the event loop runs drops what was queued.
    auto list = desk.list({});
    std::thread again([&] { desk.center.post(TRVcpUpdated, Waypoint::create("PPOS", "", 1.0f, 2.0f, 3.0f)); });
    again.join();
    test::RecordingView& view = desk.view(*list);
    desk.close(*list);
    list.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(view.offThread, 0);
}

} // namespace
} // namespace navora
