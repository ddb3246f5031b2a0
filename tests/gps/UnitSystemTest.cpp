#include "nav/UnitSystem.h"

#include <gtest/gtest.h>

namespace navora {
namespace {

TEST(UnitSystem, FourSystemsWithTheirExactFactorsAndLabels)
{
    const UnitSystem expected[] = {
        {'n', 0, "nautical", 3.2808399, 1.9438445, 196.850394, 1.0, 3.2808399, "ft", "kt", "ft/min", "nm", "ft"},
        {'m', 1, "metric", 1.0, 3.6, 1.0, 1.852, 1.0, "m", "km/h", "m/s", "km", "m"},
        {'i', 2, "imperial", 3.2808399, 2.2369363, 196.850394, 1.1507794, 3.2808399, "ft", "mph", "ft/min", "mi", "ft"},
        {'s', 3, "SI", 1.0, 1.0, 1.0, 1852.0, 1.0, "m", "m/s", "m/s", "m", "m"},
    };
    for (const UnitSystem& e : expected) {
        SCOPED_TRACE(e.name);
        const UnitSystem* byCode = UnitSystem::forCode(e.code);
        ASSERT_NE(byCode, nullptr);
        EXPECT_EQ(UnitSystem::forRow(e.row), byCode);
        EXPECT_EQ(byCode->code, e.code);
        EXPECT_EQ(byCode->row, e.row);
        EXPECT_EQ(byCode->name, e.name);
        EXPECT_EQ(byCode->altconv, e.altconv);
        EXPECT_EQ(byCode->spdconv, e.spdconv);
        EXPECT_EQ(byCode->vspconv, e.vspconv);
        EXPECT_EQ(byCode->dstconv, e.dstconv);
        EXPECT_EQ(byCode->errconv, e.errconv);
        EXPECT_EQ(byCode->alt_units, e.alt_units);
        EXPECT_EQ(byCode->spd_units, e.spd_units);
        EXPECT_EQ(byCode->vsp_units, e.vsp_units);
        EXPECT_EQ(byCode->dst_units, e.dst_units);
        EXPECT_EQ(byCode->err_units, e.err_units);
        EXPECT_EQ(UnitSystem::codeForRow(e.row), e.code);
        EXPECT_EQ(UnitSystem::rowForCode(e.code), e.row);
    }
}

TEST(UnitSystem, UnknownCodesAndRowsNameNoSystem)
{
    for (const char code : {'x', 'N', '\0', ' ', 'M'}) {
        EXPECT_EQ(UnitSystem::forCode(code), nullptr) << int(code);
        EXPECT_FALSE(UnitSystem::rowForCode(code).has_value()) << int(code);
    }
    for (const int row : {-1, 4, 110}) {
        EXPECT_EQ(UnitSystem::forRow(row), nullptr) << row;
        EXPECT_FALSE(UnitSystem::codeForRow(row).has_value()) << row;
    }
}

} // namespace
} // namespace navora
