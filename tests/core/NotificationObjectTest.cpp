#include "core/NotificationObject.h"
#include "model/Route.h"
#include "model/Waypoint.h"

#include <gtest/gtest.h>

namespace navora {
namespace {

TEST(NotificationObject, EachAccessorAnswersOnlyForItsOwnKind)
{
    // A sender is told apart by the type it was posted as.
    int intSender = 0;
    double doubleSender = 0.0;
    const auto waypoint = Waypoint::create("WP1", "", 1.0f, 2.0f, 3.0f);
    const auto route = Route::create();
    const ControlState control{3, true, 2, 1, RouteColour::routeDefault()};

    const NotificationObject objects[] = {{}, waypoint, route, 4.0, NotificationObject::sentBy(&intSender),
        NotificationObject::sentBy(&doubleSender), control};
    for (size_t i = 0; i < std::size(objects); ++i) {
        const NotificationObject& object = objects[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(object.isNone(), i == 0);
        EXPECT_EQ(object.waypoint(), i == 1 ? waypoint : nullptr);
        EXPECT_EQ(object.route(), i == 2 ? route : nullptr);
        EXPECT_EQ(object.number(), i == 3 ? std::optional<double>(4.0) : std::nullopt);
        EXPECT_EQ(object.sender<int>(), i == 4 ? &intSender : nullptr);
        EXPECT_EQ(object.sender<double>(), i == 5 ? &doubleSender : nullptr);
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
