#include "documents/CoordinateText.h"

#include "model/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace navora {
namespace {

using Axis = CoordinateText::Axis;
constexpr Axis Lat = Axis::Latitude;
constexpr Axis Lon = Axis::Longitude;

TEST(CoordinateText, ReadsWhatPeopleType)
{
    // Worked out by hand: degrees + minutes / 60 + seconds / 3600.
    const struct {
        const char* text;
        Axis axis;
        std::optional<double> value;
    } rows[] = {{"47.5412", Lat, 47.5412}, {"47,5412", Lat, 47.5412}, {" N47.5412 ", Lat, 47.5412},
        {"47.5412 n", Lat, 47.5412}, {"S 33.8568", Lat, -33.8568}, {"-9.68", Lon, -9.68}, {"+9.68", Lon, 9.68},
        {"9.68W", Lon, -9.68}, {"47° 32.47' N", Lat, 47.0 + 32.47 / 60}, {"47 32,47 N", Lat, 47.0 + 32.47 / 60},
        {"47° 32' 28\" N", Lat, 47.0 + 32.0 / 60 + 28.0 / 3600}, {"47 32 28 N", Lat, 47.0 + 32.0 / 60 + 28.0 / 3600},
        {"9°40′48.5″W", Lon, -(9.0 + 40.0 / 60 + 48.5 / 3600)}, {"90 S", Lat, -90.0}, {"180", Lon, 180.0},
        // Refused: out of range, the other axis's letter, two signs, 60
        // minutes or seconds, a fraction before the last part, junk.
        {"95", Lat, {}}, {"181", Lon, {}}, {"90 0 1 N", Lat, {}}, {"47.5 E", Lat, {}}, {"9.68 N", Lon, {}},
        {"-47 N", Lat, {}}, {"47 60 N", Lat, {}}, {"47 32 60 N", Lat, {}}, {"47.5 30", Lat, {}}, {"1 2 3 4", Lat, {}},
        {"47..5", Lat, {}}, {"47,5,1", Lat, {}}, {"abc", Lat, {}}, {"12abc", Lat, {}}, {"1e1", Lat, {}},
        {"inf", Lon, {}}, {"nan", Lon, {}}, {"N", Lat, {}}, {"", Lat, {}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const std::optional<double> value = CoordinateText::read(row.text, row.axis);
        ASSERT_EQ(value.has_value(), row.value.has_value());
        if (value) {
            EXPECT_NEAR(*value, *row.value, 1e-12);
        }
    }
}

// By tag: 1 decimal, 2 minutes, 3 seconds; any other tag leaves the fields
// alone. The locale does not change what shows. The degree sign is U+00B0,
// written out as UTF-8 bytes.
TEST(CoordinateText, DisplayFormatsByTagWhateverTheLocale)
{
    const struct {
        float value;
        Axis axis;
        const char *decimal, *minutes, *seconds;
    } displayCases[] = {
        {37.7749f, Lat, "37.7749° N", "37° 46.4939' N", "37° 46' 29.63\" N"},
        {-122.4194f, Lon, "122.4194° W", "122° 25.1642' W", "122° 25' 9.85\" W"},
        {-33.8568f, Lat, "33.8568° S", "33° 51.4080' S", "33° 51' 24.48\" S"},
        {151.2153f, Lon, "151.2153° E", "151° 12.9181' E", "151° 12' 55.09\" E"},
        {0.25f, Lat, "0.25° N", "0° 15.0000' N", "0° 15' 0.00\" N"},
        {-90.0f, Lat, "90° S", "90° 0.0000' S", "90° 0' 0.00\" S"},
        {0.0f, Lat, "0° N", "0° 0.0000' N", "0° 0' 0.00\" N"},
        // Negative zero is not negative: no "-0" and the positive letter.
        {-0.0f, Lon, "0° E", "0° 0.0000' E", "0° 0' 0.00\" E"},
        // Rounded once to the last digit shown, carrying into minutes and
        // degrees: never 60 seconds or 60 minutes. 10.999999f is 10.99999904632568;
        // 0.9999995f is 0.99999952316284 (59.99997'); 9.7f is 9.69999980926514 (41' 59.99931").
        {10.999999f, Lat, "10.999999° N", "10° 59.9999' N", "11° 0' 0.00\" N"},
        {0.9999995f, Lon, "0.9999995° E", "1° 0.0000' E", "1° 0' 0.00\" E"},
        {9.7f, Lon, "9.7° E", "9° 42.0000' E", "9° 42' 0.00\" E"},
        // An unknown position shows nothing.
        {std::numeric_limits<float>::quiet_NaN(), Lat, "", "", ""},
    };
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    for (const char* locale : {"C", "de_DE.UTF-8"}) {
        ASSERT_NE(std::setlocale(LC_ALL, locale), nullptr) << locale << " is not generated (scripts/setup.sh)";
        for (const auto& c : displayCases) {
            SCOPED_TRACE(std::string(locale) + " " + std::to_string(c.value));
            EXPECT_EQ(CoordinateText::display(c.value, c.axis, 1), c.decimal);
            EXPECT_EQ(CoordinateText::display(c.value, c.axis, 2), c.minutes);
            EXPECT_EQ(CoordinateText::display(c.value, c.axis, 3), c.seconds);
        }
    }
    std::setlocale(LC_ALL, previous.c_str());
    for (const int tag : {0, 4, -1, 100})
        EXPECT_FALSE(CoordinateText::display(12.5f, Lat, tag).has_value()) << tag;
}

TEST(CoordinateText, DecimalEntryFillsDegreesMinutesSeconds)
{
    // Rounded once to the fewest decimals of a second that read back as the
    // stored float: 47.5412 is 47 32 28.32 exactly; 0.7778f is 46 40.080085,
    // where 40.08 sums (in float) to the float below it. A value beyond any
    // coordinate gives its parts as typed.
    const struct {
        const char* text;
        Axis axis;
        char hemisphere;
        int degrees, minutes;
        float seconds;
    } cases[] = {{"-0.5", Lat, 'S', 0, 30, 0.0f}, {"12.5", Lat, 'N', 12, 30, 0.0f},
        {"-122.4194", Lon, 'W', 122, 25, 9.85f}, // 122.4194f is 25 9.8511
        {"47.5412", Lat, 'N', 47, 32, 28.32f}, {"9.7", Lon, 'E', 9, 42, 0.0f}, // 9.7f is 9 41 59.99931 cut down
        {"59.999999", Lat, 'N', 60, 0, 0.0f}, // 60.0 as a float
        {"0.7778", Lat, 'N', 0, 46, 40.0801f}, {"N", Lat, 'N', 0, 0, 0.0f}, {"", Lon, 'E', 0, 0, 0.0f},
        {"  -10.25 deg", Lon, 'W', 10, 15, 0.0f}, {"-0", Lat, 'N', 0, 0, 0.0f}, {"400.5", Lon, 'E', 400, 30, 0.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const CoordinateText::DmsFields fields = CoordinateText::dmsFromDecimalText(c.text, c.axis);
        EXPECT_EQ(std::tuple(fields.hemisphere, fields.degrees, fields.minutes, fields.seconds),
            std::tuple(c.hemisphere, c.degrees, c.minutes, c.seconds));
        EXPECT_EQ(CoordinateText::decimalFromDms(static_cast<float>(fields.degrees), static_cast<float>(fields.minutes),
                      fields.seconds, fields.hemisphere, c.axis),
            NumberText::readFloat(c.text));
    }
    // Unusable numbers stay defined.
    const auto unknown = CoordinateText::dmsFromDecimal(std::numeric_limits<float>::quiet_NaN(), Lat);
    EXPECT_EQ(std::tuple(unknown.hemisphere, unknown.degrees), std::tuple('S', 0));
    EXPECT_TRUE(std::isnan(unknown.seconds));
    const auto huge = CoordinateText::dmsFromDecimalText("-1e30", Lon);
    EXPECT_EQ(std::tuple(huge.hemisphere, huge.degrees), std::tuple('W', std::numeric_limits<int>::max()));
}

TEST(CoordinateText, DegreesMinutesSecondsEntryGivesTheDecimal)
{
    const struct {
        const char *degrees, *minutes, *seconds;
        char hemisphere;
        Axis axis;
        std::optional<float> expected;
    } cases[] = {{"12", "30", "0", 'N', Lat, 12.5f}, {"0", "30", "0", 'S', Lat, -0.5f},
        {"10", "75", "0", 'N', Lat, 11.25f}, {"-10", "30", "", 'N', Lat, -9.5f},
        {"122", "25", "9.85107421875", 'W', Lon, -122.4194f}, {"122", "25", "9.85107421875", 'E', Lon, 122.4194f},
        {"7", "7", "14.8", 'N', Lat, 7.12077808f}, // 7.12077761 in double precision
        {"7", "14", "3.7", 'S', Lat, -7.23436069f}, {"45", "", "", 'E', Lon, 45.0f}, {"1", "0", "90", 'N', Lat, 1.025f},
        {" ", "30", "0", 'N', Lat, 0.5f}, // a blank is not an empty field
        {"", "30", "15", 'N', Lat, std::nullopt}, // an empty degree field computes nothing
        // A latitude letter on a longitude (or anything else) counts as negative.
        {"1", "0", "0", 'N', Lon, -1.0f}, {"1", "0", "0", 'E', Lat, -1.0f}, {"1", "0", "0", 'E', Lon, 1.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.degrees) + " " + c.minutes + " " + c.seconds + " " + c.hemisphere);
        EXPECT_EQ(
            CoordinateText::decimalFromDmsText(c.degrees, c.minutes, c.seconds, c.hemisphere, c.axis), c.expected);
    }
}

} // namespace
} // namespace navora
