// The instruments of the GPS windows as the controller drives them: the
// course-deviation indicator, the satellite matrix, the data indicator and
// the MiniNav's window level.
#include "windows/WindowHarness.h"

#include "core/NotificationNames.h"
#include "core/SettingsKeys.h"
#include "gps/windows/ColourWell.h"
#include "gps/windows/CourseDeviationIndicator.h"
#include "gps/windows/DataIndicator.h"
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
    QAbstractButton* scaleChoice(int column) const
    {
        const char* names[] = {"cdiScale5", "cdiScale1", "cdiScale03"};
        return harness.field<QAbstractButton>(names[column]);
    }

    WindowHarness harness;
    // North along the meridian: east of it is right of the leg.
    RoutePtr leg = [] {
        RoutePtr route = Route::create();
        route->setRouteName("Leg");
        route->appendWaypoint(Waypoint::create("A", "", 0.0f, 0.0f, 0.0f));
        route->appendWaypoint(Waypoint::create("B", "", static_cast<float>(10 * nm), 0.0f, 0.0f));
        return route;
    }();
};

TEST_F(Instruments, CdiOutOfRangeIsPinnedAndDisabledUntilAWiderScale)
{
    auto* cdi = harness.field<CourseDeviationIndicator>(f::wpCrossTrackCDI);
    ASSERT_NE(cdi, nullptr);
    harness.report(5 * nm, 0.0, 5.0, 0.0, 0);
    harness.controller().activateRoute(leg, 1);

    scaleChoice(2)->click();
    harness.report(5 * nm, 0.5 * nm, 5.0, 0.0, 1);
    EXPECT_FALSE(cdi->isEnabled());
    EXPECT_NEAR(cdi->value(), -0.5, 0.01);
    EXPECT_EQ(cdi->needleFraction(), 0.0);

    scaleChoice(0)->click();
    EXPECT_DOUBLE_EQ(cdi->minimum(), -5.0);
    EXPECT_DOUBLE_EQ(cdi->maximum(), 5.0);
    harness.report(5 * nm, 0.5 * nm, 5.0, 0.0, 2);
    EXPECT_TRUE(cdi->isEnabled());
    // A tenth of the way from the centre to the left end.
    EXPECT_NEAR(cdi->needleFraction(), 0.45, 0.001);

    // Left of the leg: the needle stands right of the centre.
    harness.report(5 * nm, -0.5 * nm, 5.0, 0.0, 3);
    EXPECT_NEAR(cdi->needleFraction(), 0.55, 0.001);
}

// Pixels of the needle's colour in a picture of the indicator.
int needlePixels(CourseDeviationIndicator& cdi)
{
    const QImage image = cdi.grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            count += colour.red() > 200 && colour.green() < 60 && colour.blue() > 150;
        }
    }
    return count;
}

TEST_F(Instruments, CdiNeedleSwingsToTheTrackAndGreysWhenDisabled)
{
    CourseDeviationIndicator cdi;
    cdi.resize(300, 40);
    const struct {
        double minimum, maximum, value, fraction;
    } rows[] = {
        {-1.0, 1.0, 0.0, 0.5}, {-1.0, 1.0, 0.5, 0.75}, {-1.0, 1.0, 3.0, 1.0}, {-0.3, 0.3, -0.5, 0.0},
        {-5.0, 5.0, -0.5, 0.45}, {1.0, 1.0, 0.5, 0.5}, // an empty range keeps the needle centred
    };
    for (const auto& row : rows) {
        cdi.setRange(row.minimum, row.maximum);
        cdi.setValue(row.value);
        EXPECT_NEAR(cdi.needleFraction(), row.fraction, 1e-9) << row.minimum << ".." << row.maximum << " " << row.value;
    }
    cdi.setRange(std::nan(""), 1.0);
    EXPECT_DOUBLE_EQ(cdi.minimum(), 1.0);

    cdi.setEnabled(true);
    EXPECT_GT(needlePixels(cdi), 40);
    cdi.setEnabled(false);
    EXPECT_EQ(needlePixels(cdi), 0);
}

TEST_F(Instruments, SatelliteMatrixShowsTwelveAndHighlightsTheUsedOnes)
{
    auto* matrix = harness.field<SatelliteMatrix>(f::satsInView);
    ASSERT_NE(matrix, nullptr);
    EXPECT_EQ(matrix->columnCount(), 1);
    std::vector<WindowHarness::Satellite> fourteen;
    for (int i = 0; i < 14; ++i)
        fourteen.push_back({i + 1, 20 + i, i % 3 == 0});
    harness.report(5 * nm, 0.0, 5.0, 0.0, 0, 3, fourteen);
    ASSERT_EQ(matrix->columnCount(), 12);
    for (int column = 0; column < 12; ++column) {
        EXPECT_EQ(matrix->cellText(0, column), QString::number(column + 1));
        EXPECT_EQ(matrix->cellText(1, column), QString::number(20 + column));
        EXPECT_EQ(matrix->cellHighlighted(0, column), column % 3 == 0);
        EXPECT_EQ(matrix->cellHighlighted(1, column), column % 3 == 0);
    }

    harness.report(5 * nm, 0.0, 5.0, 0.0, 1, 3, {{7, 41, true}, {9, 12, false}});
    EXPECT_EQ(harness.shown(f::satsInView), "7/41* 9/12");
    // A report without satellites leaves the matrix as it was.
    harness.report(5 * nm, 0.0, 5.0, 0.0, 2);
    EXPECT_EQ(harness.shown(f::satsInView), "7/41* 9/12");
    harness.reportOffline();
    EXPECT_EQ(harness.shown(f::satsInView), "/");
}

TEST_F(Instruments, SatelliteMatrixKeepsItsFirstColumnsAndRefusesCellsOutside)
{
    SatelliteMatrix matrix;
    const QSize reserved = matrix.sizeHint();
    matrix.setColumnCount(3);
    EXPECT_TRUE(matrix.setCell(0, 0, "4", true));
    EXPECT_TRUE(matrix.setCell(1, 2, "30", false));
    EXPECT_FALSE(matrix.setCell(2, 0, "x", false));
    EXPECT_FALSE(matrix.setCell(0, 3, "x", false));
    EXPECT_FALSE(matrix.setCell(-1, 0, "x", false));
    matrix.setColumnCount(2);
    EXPECT_EQ(matrix.cellText(0, 0), "4");
    EXPECT_TRUE(matrix.cellHighlighted(0, 0));
    matrix.setColumnCount(3);
    EXPECT_EQ(matrix.cellText(1, 2), "");
    matrix.setColumnCount(0);
    EXPECT_EQ(matrix.columnCount(), 1);
    EXPECT_EQ(matrix.sizeHint(), reserved);
}

TEST_F(Instruments, FixStateShowsInTheBoxTheColourAndTheIndicator)
{
    auto* indicator = harness.field<DataIndicator>(f::gpsDataIndicator);
    ASSERT_NE(indicator, nullptr);
    const long long before = indicator->steps();
    harness.report(5 * nm, 0.0, 5.0, 0.0, 0, 2);
    EXPECT_EQ(harness.shown(f::fixBox), "2D fix");
    EXPECT_EQ(harness.shown(f::fixModeColor), "yellow");
    EXPECT_EQ(harness.shown(f::fixVError), "");
    EXPECT_TRUE(harness.field<QWidget>(f::fixVError)->isHidden());
    harness.report(5 * nm, 0.0, 5.0, 0.0, 1, 3);
    EXPECT_EQ(harness.shown(f::fixBox), "3D fix");
    EXPECT_EQ(harness.shown(f::fixModeColor), "green");
    EXPECT_FALSE(harness.field<QWidget>(f::fixVError)->isHidden());
    EXPECT_EQ(harness.shown(f::fixHErrorMeter), "9");
    EXPECT_EQ(indicator->steps(), before + 2);
    harness.reportOffline();
    EXPECT_EQ(harness.shown(f::fixBox), "GPS OFFLINE");
    EXPECT_EQ(harness.shown(f::fixModeColor), "clear");
    EXPECT_TRUE(indicator->isHidden());
}

TEST_F(Instruments, MiniNavFloatsPerTheSettingAndLowersAtOnce)
{
    QWidget* mini = harness.windows().window(f::miniNavWindow);
    harness.settings.setBool(TRVFloatMiniKey, true);
    harness.controller().toggleMiniNav();
    EXPECT_TRUE(mini->isVisible());
    EXPECT_TRUE(mini->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(harness.windows().window(f::window)->isVisible());
    EXPECT_FALSE(harness.windows().window(f::navDataWindow)->isVisible());

    ControlState box;
    box.state = false;
    harness.center.post(TRVMNFloatChanged, NotificationObject(box));
    EXPECT_FALSE(mini->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(mini->isVisible());

    harness.controller().toggleMiniNav();
    EXPECT_FALSE(mini->isVisible());
    EXPECT_TRUE(harness.windows().window(f::window)->isVisible());
    EXPECT_TRUE(harness.windows().window(f::navDataWindow)->isVisible());
    // Turned on while the full display shows: only the hidden MiniNav's level.
    box.state = true;
    harness.center.post(TRVMNFloatChanged, NotificationObject(box));
    EXPECT_TRUE(mini->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(mini->isVisible());
}

TEST_F(Instruments, MiniNavCarriesTheFixAndTheLegWhileShown)
{
    harness.controller().toggleMiniNav();
    harness.controller().activateRoute(leg, 1);
    harness.report(5 * nm, 0.1 * nm, 5.0, 0.0, 0);
    EXPECT_EQ(harness.shown(f::mnBox), "3D fix - A->B");
    EXPECT_FALSE(harness.shown(f::mnDistance).isEmpty());
    EXPECT_FALSE(harness.shown(f::mnETE).isEmpty());
    EXPECT_EQ(harness.shown(f::mnModeColor), "green");
    // The GPS window is left alone meanwhile.
    EXPECT_EQ(harness.shown(f::fixLatitude), "");
}

} // namespace
} // namespace navora::test
