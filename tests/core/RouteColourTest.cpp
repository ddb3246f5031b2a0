#include "core/RouteColour.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace navora {
namespace {

TEST(RouteColour, DefaultIsTranslucentMagentaWithAShortText)
{
    EXPECT_EQ(RouteColour::routeDefault(), (RouteColour{1.0, 0.0, 1.0, 0.8}));
    EXPECT_EQ(RouteColour::routeDefault().encoded(), "1 0 1 0.8");
}

TEST(RouteColour, TextRoundTripIsExact)
{
    const RouteColour cases[] = {
        RouteColour::routeDefault(),
        {0.0, 0.0, 0.0, 0.0},
        {1.0 / 3.0, 2.0 / 3.0, 0.1, 0.7},
        {std::nextafter(1.0, 0.0), std::numeric_limits<double>::denorm_min(), 1e-300, 0.30000000000000004},
    };
    for (const RouteColour& colour : cases) {
        const std::string text = colour.encoded();
        EXPECT_EQ(text.find(','), std::string::npos) << text;
        const auto decoded = RouteColour::decode(text);
        ASSERT_TRUE(decoded.has_value()) << text;
        EXPECT_EQ(*decoded, colour) << text;
    }
}

TEST(RouteColour, DecodingTakesBlanksButRejectsAnythingMalformed)
{
    EXPECT_EQ(RouteColour::decode("  1\t0  1 0.8 "), RouteColour::routeDefault());
    EXPECT_EQ(RouteColour::decode("1e0 0 1 8e-1"), RouteColour::routeDefault());
    const char* const rejected[] = {
        "",
        "   ",
        "1 0 1",
        "1 0 1 0.8 0",
        "1,0,1,0.8",
        "1 0 1 0,8",
        "1 0 1 0.8x",
        "1 0 1 1.0000001",
        "-0.1 0 0 1",
        "nan 0 0 1",
        "0 inf 0 1",
        "+1 0 0 1",
        "0x1 0 0 1",
        "1 0 1 .8.",
    };
    for (const char* text : rejected)
        EXPECT_FALSE(RouteColour::decode(text).has_value()) << '"' << text << '"';
}

TEST(RouteColour, ValidityChecksEveryComponent)
{
    EXPECT_TRUE(RouteColour::routeDefault().isValid());
    EXPECT_FALSE((RouteColour{1.1, 0, 0, 1}).isValid());
    EXPECT_FALSE((RouteColour{0, -0.1, 0, 1}).isValid());
    EXPECT_FALSE((RouteColour{0, 0, std::nan(""), 1}).isValid());
    EXPECT_FALSE((RouteColour{0, 0, 0, 2}).isValid());
}

TEST(RouteColour, OnlyAFullyOpaqueColourIsMadeTranslucent)
{
    struct Case {
        double alpha;
        double stored;
    };
    const Case cases[] = {{1.0, 0.8}, {std::nextafter(1.0, 0.0), std::nextafter(1.0, 0.0)}, {0.8, 0.8}, {0.0, 0.0}};
    for (const Case& c : cases) {
        const RouteColour stored = RouteColour{0.2, 0.4, 0.6, c.alpha}.translucentIfOpaque();
        EXPECT_EQ(stored, (RouteColour{0.2, 0.4, 0.6, c.stored})) << c.alpha;
    }
}

} // namespace
} // namespace navora
