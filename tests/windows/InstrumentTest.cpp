// The instruments and commands of the GPS windows: the course-deviation
// indicator and its scale choice, the satellite matrix, the command that
// stops navigating. What they are given is the logic's (tests/gps, tests/nav).
#include "windows/WindowHarness.h"

#include "gps/windows/CourseDeviationIndicator.h"
#include "gps/windows/SatelliteMatrix.h"
#include "nav/DisplayFields.h"
#include "nav/NavGeometry.h"

#include <QAbstractButton>
#include <QImage>

#include <gtest/gtest.h>

namespace navora::test {
namespace {

namespace f = navora::fields;
constexpr double nm = NavGeometry::nm;

class Instruments : public testing::Test {
protected:
    WindowHarness harness;
    // North along the meridian: east of it is right of the leg.
    RoutePtr leg = [] {
        RoutePtr route = Route::create();
        route->appendWaypoint(Waypoint::create("A", "", 0.0f, 0.0f, 0.0f));
        route->appendWaypoint(Waypoint::create("B", "", static_cast<float>(10 * nm), 0.0f, 0.0f));
        return route;
    }();
};

TEST_F(Instruments, TheScaleChoiceReachesTheControllerAndItsRangeTheIndicator)
{
    auto* cdi = harness.field<CourseDeviationIndicator>(f::wpCrossTrackCDI);
    ASSERT_NE(cdi, nullptr);
    EXPECT_EQ(harness.shown(f::wpCDIScale), "1 nm");
    harness.report(5 * nm, 0.0, 5.0, 0.0, 0);
    harness.controller().activateRoute(leg, 1);
    // The three choices from the widest; east of the leg at 0.5 nm.
    const std::pair<std::string_view, double> choices[]
        = {{f::wpCDIScale0, 5.0}, {f::wpCDIScale1, 1.0}, {f::wpCDIScale2, 0.3}};
    for (int i = 0; i < 3; ++i) {
        const auto [name, range] = choices[i];
        harness.field<QAbstractButton>(name)->click();
        EXPECT_EQ(harness.controller().cdiRange(), std::make_pair(-range, range));
        harness.report(5 * nm, 0.5 * nm, 5.0, 0.0, i + 1);
        EXPECT_DOUBLE_EQ(cdi->maximum(), range);
        EXPECT_NEAR(cdi->value(), -0.5, 0.01);
        EXPECT_EQ(cdi->isEnabled(), i != 2);
    }
}

// Reaching the destination offers to stop navigating; the command ends it.
TEST_F(Instruments, ArrivalOffersTheCommandThatStopsNavigating)
{
    auto* stop = harness.field<QAbstractButton>(f::wpStopNavigating);
    ASSERT_NE(stop, nullptr);
    harness.report(9 * nm, 0.0, 5.0, 0.0, 0);
    harness.controller().activateRoute(leg, 1);
    EXPECT_TRUE(stop->isHidden());
    harness.report(10 * nm, 0.0, 0.0, 0.0, 1);
    EXPECT_EQ(harness.shown(f::wpArrived), "Arrived at B");
    ASSERT_FALSE(stop->isHidden());
    stop->click();
    EXPECT_EQ(harness.controller().activeWaypoint(), nullptr);
    EXPECT_EQ(harness.controller().activeRoute(), nullptr);
    EXPECT_TRUE(stop->isHidden());
    EXPECT_EQ(harness.shown(f::wpArrived), "");
}

TEST_F(Instruments, CdiNeedleSwingsToTheTrackAndGreysWhenDisabled)
{
    CourseDeviationIndicator cdi;
    cdi.resize(300, 40);
    const struct {
        double minimum, maximum, value, fraction;
    } rows[] = {{-1.0, 1.0, 0.0, 0.5}, {-1.0, 1.0, 0.5, 0.75}, {-1.0, 1.0, 3.0, 1.0}, {-0.3, 0.3, -0.5, 0.0},
        {-5.0, 5.0, -0.5, 0.45}, {1.0, 1.0, 0.5, 0.5}}; // an empty range keeps the needle centred
    for (const auto& row : rows) {
        cdi.setRange(row.minimum, row.maximum);
        cdi.setValue(row.value);
        EXPECT_NEAR(cdi.needleFraction(), row.fraction, 1e-9) << row.minimum << ".." << row.maximum << " " << row.value;
    }
    cdi.setRange(std::nan(""), 1.0);
    EXPECT_DOUBLE_EQ(cdi.minimum(), 1.0);
    // Pixels of the needle's colour.
    const auto needle = [&cdi] {
        const QImage image = cdi.grab().toImage();
        int count = 0;
        for (int at = 0; at < image.width() * image.height(); ++at) {
            const QColor colour = image.pixelColor(at % image.width(), at / image.width());
            count += colour.red() > 200 && colour.green() < 60 && colour.blue() > 150;
        }
        return count;
    };
    EXPECT_GT(needle(), 40);
    cdi.setEnabled(false);
    EXPECT_EQ(needle(), 0);
}

TEST_F(Instruments, SatelliteMatrixKeepsItsFirstColumnsAndRefusesCellsOutside)
{
    SatelliteMatrix matrix;
    const QSize reserved = matrix.sizeHint();
    matrix.setColumnCount(3);
    // Braces: the cells are set from left to right.
    const std::tuple set{matrix.setCell(0, 0, "4", true), matrix.setCell(1, 2, "30", false),
        matrix.setCell(2, 0, "x", false), matrix.setCell(0, 3, "x", false), matrix.setCell(-1, 0, "x", false)};
    EXPECT_EQ(set, std::tuple(true, true, false, false, false));
    matrix.setColumnCount(2);
    EXPECT_EQ(std::tuple(matrix.cellText(0, 0), matrix.cellHighlighted(0, 0)), std::tuple(QString("4"), true));
    matrix.setColumnCount(3);
    EXPECT_EQ(matrix.cellText(1, 2), "");
    matrix.setColumnCount(0);
    EXPECT_EQ(matrix.columnCount(), 1);
    EXPECT_EQ(matrix.sizeHint(), reserved);
}

} // namespace
} // namespace navora::test
