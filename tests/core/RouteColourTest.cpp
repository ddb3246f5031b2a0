#include "core/RouteColour.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace navora {
namespace {

TEST(RouteColour, TextRoundTripIsExactAndShort)
{
    EXPECT_EQ(RouteColour::routeDefault().encoded(), "1 0 1 0.8");
    const RouteColour cases[] = {
        {0.0, 0.0, 0.0, 0.0},
        {1.0 / 3.0, 2.0 / 3.0, 0.1, 0.7},
        {std::nextafter(1.0, 0.0), std::numeric_limits<double>::denorm_min(), 1e-300, 0.30000000000000004},
    };
    for (const RouteColour& colour : cases) {
        const std::string text = colour.encoded();
        EXPECT_EQ(text.find(','), std::string::npos) << text;
        EXPECT_EQ(RouteColour::decode(text), colour) << text;
    }
}

TEST(RouteColour, DecodingTakesBlanksButRejectsAnythingMalformed)
{
    EXPECT_EQ(RouteColour::decode("  1\t0  1 0.8 "), RouteColour::routeDefault());
    EXPECT_EQ(RouteColour::decode("1e0 0 1 8e-1"), RouteColour::routeDefault());
    for (const char* text : {"", "   ", "1 0 1", "1 0 1 0.8 0", "1,0,1,0.8", "1 0 1 0,8", "1 0 1 0.8x",
             "1 0 1 1.0000001", "-0.1 0 0 1", "nan 0 0 1", "0 inf 0 1", "+1 0 0 1", "0x1 0 0 1", "1 0 1 .8."})
        EXPECT_FALSE(RouteColour::decode(text).has_value()) << '"' << text << '"';
}

TEST(RouteColour, ValidityAndTheOpaqueRule)
{
    EXPECT_TRUE(RouteColour::routeDefault().isValid());
    for (const RouteColour& invalid : {RouteColour{1.1, 0, 0, 1}, RouteColour{0, -0.1, 0, 1},
             RouteColour{0, 0, std::nan(""), 1}, RouteColour{0, 0, 0, 2}})
        EXPECT_FALSE(invalid.isValid());

    // Only a fully opaque colour is made translucent (alpha 0.8).
    const double belowOne = std::nextafter(1.0, 0.0);
    for (const auto& [alpha, stored] : {std::pair{1.0, 0.8}, {belowOne, belowOne}, {0.8, 0.8}, {0.0, 0.0}})
        EXPECT_EQ(RouteColour({0.2, 0.4, 0.6, alpha}).translucentIfOpaque(), (RouteColour{0.2, 0.4, 0.6, stored}))
            << alpha;
}

} // namespace
} // namespace navora
