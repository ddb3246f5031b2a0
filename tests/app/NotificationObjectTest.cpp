#include <NotificationObject.h>

#include <gtest/gtest.h>

namespace navora {
namespace {

TEST(NotificationObject, EachAccessorAnswersOnlyForItsOwnKind)
{
    // The object only carries these addresses; it never dereferences them.
    int documentStandIn = 0;
    int controllerStandIn = 0;
    auto* document = reinterpret_cast<Document*>(&documentStandIn);
    auto* controller = reinterpret_cast<GPSController*>(&controllerStandIn);
    const auto waypoint = Waypoint::create("WP1", "", 1.0f, 2.0f, 3.0f);
    const auto route = Route::create();
    const ControlState control{3, true, 2, 1, RouteColour::routeDefault()};

    const NotificationObject objects[] = {{}, waypoint, route, 4.0, document, controller, control};
    for (size_t i = 0; i < std::size(objects); ++i) {
        const NotificationObject& object = objects[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(object.isNone(), i == 0);
        EXPECT_EQ(object.waypoint(), i == 1 ? waypoint : nullptr);
        EXPECT_EQ(object.route(), i == 2 ? route : nullptr);
        EXPECT_EQ(object.number(), i == 3 ? std::optional<double>(4.0) : std::nullopt);
        EXPECT_EQ(object.document(), i == 4 ? document : nullptr);
        EXPECT_EQ(object.gpsController(), i == 5 ? controller : nullptr);
        EXPECT_EQ(object.controlState(), i == 6 ? std::optional<ControlState>(control) : std::nullopt);
    }
}

TEST(NotificationObject, AnEmptyRouteMeansNavigationStopped)
{
    const NotificationObject stopped = RoutePtr();
    EXPECT_FALSE(stopped.isNone());
    EXPECT_EQ(stopped.route(), nullptr);
}

} // namespace
} // namespace navora
