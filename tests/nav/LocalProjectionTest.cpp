#include "nav/LocalProjection.h"

#include <gtest/gtest.h>

namespace navora {
namespace {

TEST(LocalProjection, DistancesAndDirectionsFromTheCentreAreTrue)
{
    // A degree of a great circle is 60 nautical miles.
    const struct {
        const char* what;
        double centreLatitude, centreLongitude, latitude, longitude;
        double east, north;
    } rows[] = {
        {"the centre", 47.5, 9.7, 47.5, 9.7, 0, 0},
        {"a degree east on the equator", 0, 0, 0, 1, 60, 0},
        {"a degree north", 0, 0, 1, 0, 0, 60},
        {"a degree south", 10, 20, 9, 20, 0, -60},
        {"across the 180th meridian, eastwards", 0, 179.5, 0, -179.5, 60, 0},
        {"across it westwards", 0, -179.75, 0, 179.75, -30, 0},
        {"over the pole: straight on north", 89.5, 0, 89.5, 180, 0, 60},
        {"the pole itself", 89.5, 0, 90, 123, 0, 30},
        {"the south pole, from near it", -89, 45, -90, 0, 0, -60},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const auto point
            = LocalProjection(row.centreLatitude, row.centreLongitude).project(row.latitude, row.longitude);
        EXPECT_NEAR(point.east, row.east, 1e-6);
        EXPECT_NEAR(point.north, row.north, 1e-6);
    }
}

} // namespace
} // namespace navora
