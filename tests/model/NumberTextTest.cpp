#include "model/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <string>

namespace navora {
namespace {

TEST(NumberText, ReadsTheLongestLeadingNumber)
{
    const struct {
        const char* text;
        double expected;
    } rows[] = {{"12.5", 12.5}, {"  -0.5", -0.5}, {"\t\n+3", 3.0}, {"45.5abc", 45.5}, {"12.34.56", 12.34}, {".5", 0.5},
        {"5.", 5.0}, {"1e3", 1000.0}, {"1e", 1.0}, {"2E-2x", 0.02}, {"-122.4194", -122.4194}, {"", 0.0}, {"   ", 0.0},
        {"N", 0.0}, {"-", 0.0}, {".", 0.0}, {"nan", 0.0}, {"inf", 0.0}, {"0x1A", 0.0}, {"1,5", 1.0}, {"1e-999", 0.0}};
    for (const auto& row : rows)
        EXPECT_EQ(NumberText::readDouble(row.text), row.expected) << '"' << row.text << '"';
    EXPECT_TRUE(std::isinf(NumberText::readDouble("1e999")));
    EXPECT_TRUE(std::isinf(NumberText::readFloat("1e39")));
}

TEST(NumberText, FormatsLikePrintfFixed)
{
    const struct {
        double value;
        int decimals;
        const char* expected;
    } rows[] = {{0.0, 6, "0.000000"}, {-1.5, 6, "-1.500000"}, {static_cast<double>(37.7749f), 6, "37.774899"},
        {1e20, 6, "100000000000000000000.000000"}, {46.4939, 4, "46.4939"}, {9.85107421875, 2, "9.85"},
        {0.125, 2, "0.12"}}; // ties to even, as printf does
    for (const auto& row : rows)
        EXPECT_EQ(NumberText::formatFixed(row.value, row.decimals), row.expected);
    EXPECT_EQ(NumberText::formatFixed(1.0), "1.000000");
}

// Coordinates and altitudes are stored as floats: each is shown and written
// as the shortest text that reads back as the same float, never the noise
// of its double ("%f" gives 47.541199 for 47.5412f), never an exponent.
TEST(NumberText, FloatsShowTheirShortestText)
{
    const struct {
        float stored;
        const char* shown;
    } rows[] = {{47.5412f, "47.5412"}, {9.7f, "9.7"}, {395.3f, "395.3"}, {-122.4194f, "-122.4194"}, {180.0f, "180"},
        {0.0f, "0"}, {-0.0f, "-0"}, {0.1f, "0.1"}, {1e-7f, "0.0000001"},
        {16777217.0f, "16777216"}, // 2^24 + 1 is no float
        {0.30000001f, "0.3"}, {0.30000004f, "0.30000004"}}; // the float after 0.3f needs all its digits
    for (const auto& row : rows) {
        EXPECT_EQ(NumberText::formatShortest(row.stored), row.shown) << row.shown;
        const float readBack = NumberText::readFloat(row.shown);
        EXPECT_EQ(readBack, row.stored) << row.shown;
        EXPECT_EQ(std::signbit(readBack), std::signbit(row.stored)) << row.shown;
    }
}

// The files we write must not change with the user's locale.
TEST(NumberText, IgnoresADecimalCommaLocale)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "de_DE.UTF-8 is not generated (scripts/setup.sh)";
    char printed[32];
    std::snprintf(printed, sizeof printed, "%f", 1.5);
    EXPECT_STREQ(printed, "1,500000"); // the locale is really in force
    EXPECT_EQ(NumberText::formatFixed(1.5), "1.500000");
    EXPECT_EQ(NumberText::formatShortest(1.5f), "1.5");
    EXPECT_EQ(NumberText::readDouble("1.5"), 1.5);
    EXPECT_EQ(NumberText::readDouble("1,5"), 1.0);
    std::setlocale(LC_ALL, previous.c_str());
}

} // namespace
} // namespace navora
