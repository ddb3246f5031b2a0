// "TRVcpUpdated" and "TRVRouteIsActive" can arrive on the GPS thread; the
// documents apply them on the user-interface thread only. Qt Core only, no
// widgets: the thread sanitizer sees our own hand-over.
#include "documents/DocumentFakes.h"

#include "core/NotificationNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numeric>
#include <thread>
#include <vector>

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

// A long list shares the distances out over threads while the GPS thread
// keeps moving the position it is measured from. The order is the one the
// distance column shows, from one position throughout: equal distances in
// list order, unknown positions last.
TEST(DocumentThreadTest, ALongNearestListIsOrderedAsItsDistanceColumnFromOnePosition)
{
    WaypointList list;
    uint32_t seed = 12345;
    const auto next = [&seed] { return (seed = seed * 1103515245U + 12345U) >> 8; };
    for (int i = 0; i < 40000; ++i) {
        const float latitude = static_cast<float>(next() % 1200) / 10.0f - 60.0f;
        const float longitude = i % 997 == 0 ? NAN : static_cast<float>(next() % 2400) / 10.0f - 120.0f;
        list.push_back(Waypoint::create("", "", latitude, longitude, 0.0f));
    }
    const WaypointPtr ppos = Waypoint::create("PPOS", "", 10.0f, 20.0f, 0.0f);
    std::atomic<bool> sorted = false;
    std::thread gps([&] {
        for (int i = 0; !sorted; ++i)
            ppos->setPosition(10.0f + static_cast<float>(i % 2), 20.0f, 0.0f, "fix");
    });
    const WaypointList nearest = WaypointDocument::sortedByDistance(list, *ppos);
    sorted = true;
    gps.join();

    // The reference: a stable sort by the column's own figures.
    const auto orderFrom = [&list](float latitude) {
        const auto origin = Waypoint::create("", "", latitude, 20.0f, 0.0f);
        std::vector<float> distance;
        for (const WaypointPtr& waypoint : list)
            distance.push_back(waypoint->distanceFromPoint(*origin));
        std::vector<size_t> order(list.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&distance](size_t a, size_t b) {
            return !std::isnan(distance[a]) && (std::isnan(distance[b]) || distance[a] < distance[b]);
        });
        WaypointList ordered;
        for (const size_t index : order)
            ordered.push_back(list[index]);
        return ordered;
    };
    const WaypointList from10 = orderFrom(10.0f), from11 = orderFrom(11.0f);
    ASSERT_NE(from10, from11);
    EXPECT_TRUE(nearest == from10 || nearest == from11);
}

} // namespace
} // namespace navora
