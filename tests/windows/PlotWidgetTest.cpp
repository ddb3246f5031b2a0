// The plot drawn offscreen from a fixed scene: what shows where, and the
// keys that move the picture.
#include "gps/windows/PlotWidget.h"

#include "support/QtApplication.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include <algorithm>

namespace navora {
namespace {

// On the equator a minute is a mile either way: a route east, then north.
PlotScene squareScene()
{
    PlotScene scene;
    scene.route = {{0.0, 0.0, "Start"}, {0.0, 2.0 / 60.0, "East"}, {2.0 / 60.0, 2.0 / 60.0, "North"}};
    scene.activeIndex = 1;
    scene.hasPosition = true;
    scene.latitude = 0.0;
    scene.longitude = 1.0 / 60.0;
    scene.course = 90.0;
    scene.corridorNm = 0.3;
    scene.track = {{0, 0.0, 0.0, 0, 0}, {1, 0.002, 0.5 / 60.0, 0, 0}, {2, 0.0, 1.0 / 60.0, 0, 0}};
    return scene;
}

void press(QWidget& widget, int key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

bool near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40
        && std::abs(a.blue() - b.blue()) < 40;
}

TEST(PlotWidget, DrawsTheRouteTheCorridorAndTheBoat)
{
    test::ensureWidgetApplication();
    PlotWidget plot;
    plot.resize(400, 400);
    plot.setFollowing(false);
    PlotScene scene = squareScene();
    // Another open list, faint behind the route; it takes no part in the fit.
    scene.backdrops = {{{{1.5 / 60.0, 0.5 / 60.0}, {40.0, 40.0}}, false}};
    plot.setScene(scene);
    // Fitted: the three marks span 2 nm in 80 % of 400 px.
    EXPECT_NEAR(plot.nmPerPixel(), 2.0 / 320.0, 1e-9);
    const QImage picture = plot.grab().toImage();
    // Centre (1 nm east, 1 nm north) at pixel (200, 200); 160 px a mile.
    const auto at = [](double eastNm, double northNm) {
        return QPoint(static_cast<int>(200 + (eastNm - 1.0) * 160), static_cast<int>(200 - (northNm - 1.0) * 160));
    };
    EXPECT_TRUE(near(picture.pixelColor(at(1.0, 0.0) + QPoint(0, 3)), QColor(255, 210, 0))) << "the boat";
    EXPECT_TRUE(near(picture.pixelColor(at(1.5, 0.0)), QColor(220, 0, 160))) << "the active leg";
    EXPECT_TRUE(near(picture.pixelColor(at(1.5, 0.2)), QColor(245, 220, 235))) << "its corridor";
    EXPECT_TRUE(near(picture.pixelColor(at(1.5, 0.4)), QColor(250, 250, 246))) << "beyond the corridor";
    EXPECT_NE(picture.pixelColor(at(1.5, 0.2)), picture.pixelColor(at(1.5, 0.4))) << "the corridor ends";
    const QColor backdrop = picture.pixelColor(at(0.5, 1.5));
    EXPECT_TRUE(near(backdrop, QColor(200, 200, 212)) && backdrop.red() < 230) << "the other list's waypoint";
    // The legs ahead are a thin line: the two pixels it lies between.
    const QColor ahead = picture.pixelColor(at(2.0, 1.0) - QPoint(1, 0));
    const QColor aheadRight = picture.pixelColor(at(2.0, 1.0));
    EXPECT_GT(std::max(ahead.blue() - ahead.red(), aheadRight.blue() - aheadRight.red()), 40) << "the leg ahead";

    // Off line: the boat grey.
    PlotScene lost = squareScene();
    lost.offLine = true;
    plot.setScene(lost);
    EXPECT_TRUE(near(plot.grab().toImage().pixelColor(at(1.0, 0.0) + QPoint(0, 3)), QColor(220, 220, 220)));
}

TEST(PlotWidget, KeysZoomPanFitAndFollow)
{
    test::ensureWidgetApplication();
    PlotWidget plot;
    plot.resize(400, 400);
    plot.setScene(squareScene());
    const double fitted = plot.nmPerPixel();
    press(plot, Qt::Key_Plus);
    EXPECT_NEAR(plot.nmPerPixel(), fitted / 1.5, 1e-12);
    press(plot, Qt::Key_Minus);
    press(plot, Qt::Key_Minus);
    EXPECT_NEAR(plot.nmPerPixel(), fitted * 1.5, 1e-12);
    EXPECT_TRUE(plot.following());
    press(plot, Qt::Key_Left); // panning by hand ends following
    EXPECT_FALSE(plot.following());
    press(plot, Qt::Key_F);
    EXPECT_NEAR(plot.nmPerPixel(), fitted, 1e-12);
    press(plot, Qt::Key_C);
    EXPECT_TRUE(plot.following());

    // Without a route or a position, the other documents are fitted.
    PlotWidget documentsOnly;
    documentsOnly.resize(400, 400);
    PlotScene scene;
    scene.backdrops = {{{{0.0, 0.0}, {0.0, 4.0 / 60.0}}, true}};
    documentsOnly.setScene(scene);
    EXPECT_NEAR(documentsOnly.nmPerPixel(), 4.0 / 320.0, 1e-9);
}

} // namespace
} // namespace navora
