// Pictures of the GPS windows in the moments of a drive, for looking at the
// layouts: not run with the suite. Run with
//   navora_gps_windows_tests --gtest_also_run_disabled_tests --gtest_filter='*Pictures*'
// and find the PNG files in $NAVORA_PICTURES (default /tmp/navora-pictures).
#include "windows/WindowHarness.h"

#include "core/QtText.h"
#include "documents/DocumentDesk.h"
#include "nav/DisplayFields.h"
#include "nav/NavGeometry.h"

#include <QAbstractButton>
#include <QDir>
#include <QPixmap>

#include <gtest/gtest.h>

namespace navora::test {
namespace {

namespace f = navora::fields;
constexpr double nm = NavGeometry::nm;

QString picturesFolder()
{
    const QString folder = qEnvironmentVariable("NAVORA_PICTURES", QStringLiteral("/tmp/navora-pictures"));
    QDir().mkpath(folder);
    return folder;
}

void picture(WindowHarness& harness, std::string_view window, const QString& moment)
{
    QWidget* top = harness.windows().window(window);
    processEvents();
    const QString path
        = picturesFolder() + QLatin1Char('/') + moment + QLatin1Char('-') + toQString(window) + QStringLiteral(".png");
    EXPECT_TRUE(top->grab().save(path)) << path.toStdString();
}

std::vector<WindowHarness::Satellite> sky()
{
    return {{3, 41, true}, {7, 38, true}, {8, 22, false}, {11, 45, true}, {14, 12, false}, {17, 35, true},
        {19, 30, true}, {22, 8, false}, {27, 40, true}, {30, 27, false}};
}

TEST(WindowPictures, DISABLED_MomentsOfADrive)
{
    WindowHarness harness;
    RoutePtr route = Route::create();
    route->setRouteName("Harbour run");
    route->appendWaypoint(Waypoint::create("Marina", "", 0.0f, 0.0f, 0.0f));
    route->appendWaypoint(Waypoint::create("Red buoy", "", static_cast<float>(10 * nm), 0.0f, 0.0f));
    route->appendWaypoint(
        Waypoint::create("Lighthouse", "", static_cast<float>(20 * nm), static_cast<float>(4 * nm), 0.0f));
    route->appendWaypoint(
        Waypoint::create("Anchorage", "", static_cast<float>(24 * nm), static_cast<float>(4 * nm), 0.0f));
    harness.windows().showWindow();
    harness.controller().showNav();

    harness.report(0.02 * nm, 0.01 * nm, 3.0, 2.0, 0, 3, sky());
    harness.controller().activateRoute(route, 1);
    harness.report(0.1 * nm, 0.02 * nm, 3.1, 1.0, 1, 3, sky());
    picture(harness, f::window, "1-start");
    picture(harness, f::navDataWindow, "1-start");

    harness.report(5 * nm, 0.3 * nm, 3.2, 355.0, 2, 3, sky());
    picture(harness, f::window, "2-midleg");
    picture(harness, f::navDataWindow, "2-midleg");

    harness.report(9.993 * nm, 0.01 * nm, 3.2, 358.0, 3, 3, sky());
    picture(harness, f::navDataWindow, "3-arrival");

    harness.controller().activateRoute(route, 3);
    harness.report(23.0 * nm, 3.9 * nm, 2.5, 5.0, 4, 3, sky());
    picture(harness, f::navDataWindow, "4-destination");

    harness.controller().toggleMiniNav();
    harness.report(23.2 * nm, 3.95 * nm, 2.5, 5.0, 5, 3, sky());
    picture(harness, f::miniNavWindow, "5-mininav");

    harness.controller().toggleMiniNav();
    harness.controller().changeUnits('m');
    harness.controller().activateRoute(route, 2);
    harness.report(12 * nm, 0.2 * nm, 3.2, 20.0, 6, 3, sky());
    picture(harness, f::window, "6-metric");
    picture(harness, f::navDataWindow, "6-metric");

    harness.reportOffline();
    picture(harness, f::window, "7-offline");
}

} // namespace
} // namespace navora::test
