// How writes show in the widgets: number and date formats from the layout,
// the highlight, plain text, and writes the windows cannot take.
#include "gps/windows/FieldWriter.h"
#include "gps/windows/ControllerWindow.h"
#include "gps/windows/GPSWindows.h"
#include "gps/windows/QtDisplay.h"
#include "nav/DisplayFields.h"
#include "support/LogCapture.h"
#include "support/QtApplication.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QScreen>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <memory>

namespace navora::test {
namespace {

namespace f = navora::fields;
using Shown = std::map<std::string, std::string>;

// A track or bearing ("angle") that rounds to a full turn reads 0, at any precision.
TEST(FieldWriter, NumbersAndDatesFollowTheFormatOfTheirLabel)
{
    const struct {
        QLocale::Language language;
        int decimals, integerDigits;
        const char *positive, *negative, *suffix;
        bool angle;
        std::vector<std::pair<double, const char*>> shown;
    } rows[] = {{QLocale::English, 0, 3, "", "", "", false, {{5.4, "005"}, {359.6, "360"}}},
        {QLocale::English, 2, 1, "R ", "L ", "", false, {{-0.256, "L 0.26"}, {1.5, "R 1.50"}, {-0.004, "0.00"}}},
        {QLocale::English, 1, 1, "", "", "", false, {{-12.24, "-12.2"}}},
        {QLocale::English, 2, 1, "", "", "", false, {{12345.678, "12345.68"}, {NAN, ""}, {INFINITY, ""}}},
        {QLocale::English, 5, 1, "N ", "S ", "°", false, {{-33.868, "S 33.86800°"}}},
        {QLocale::German, 5, 1, "N ", "S ", "°", false, {{48.1374, "N 48,13740°"}}},
        {QLocale::English, 0, 3, "", "", "", true, {{359.6, "000"}, {359.4, "359"}, {360.0, "000"}}},
        {QLocale::English, 1, 3, "", "", "", true, {{359.96, "000.0"}, {359.94, "359.9"}}}};
    ensureWidgetApplication();
    for (const auto& row : rows) {
        QLocale::setDefault(QLocale(row.language));
        QLabel label;
        label.setProperty("decimals", row.decimals);
        label.setProperty("integerDigits", row.integerDigits);
        for (const auto& [name, text] :
            {std::pair{"positivePrefix", row.positive}, {"negativePrefix", row.negative}, {"suffix", row.suffix}}) {
            if (*text)
                label.setProperty(name, QString::fromUtf8(text));
        }
        if (row.angle)
            label.setProperty("angle", true);
        for (const auto& [value, text] : row.shown)
            EXPECT_EQ(FieldWriter::numberText(label, value), QString::fromUtf8(text)) << value;
    }
    QLocale::setDefault(QLocale::system());
    // Dates show in local time in their format.
    QLabel label;
    label.setProperty("dateFormat", "yyyy-MM-dd HH:mm:ss");
    const QString expected
        = QDateTime::fromSecsSinceEpoch(1714564800, Qt::UTC).toLocalTime().toString("yyyy-MM-dd HH:mm:ss");
    EXPECT_EQ(FieldWriter::dateText(label, 1714564800.0), expected);
    EXPECT_EQ(FieldWriter::dateText(label, std::nan("")), "");
}

// Whether the middle of the label's top edge shows the amber background.
bool amber(QLabel& label)
{
    const QImage image = label.grab().toImage();
    const QColor colour = image.pixelColor(image.width() / 2, 1);
    return colour.red() > 200 && colour.green() > 140 && colour.green() < 200 && colour.blue() < 60;
}

class WindowDisplay : public testing::Test {
protected:
    std::unique_ptr<GPSWindows> windows = [] {
        ensureWidgetApplication();
        return std::make_unique<GPSWindows>();
    }();
    std::unique_ptr<QtDisplay> display = std::make_unique<QtDisplay>(windows->all());
};

TEST_F(WindowDisplay, WritesNoWidgetCanShowAreLoggedOnceAndDropped)
{
    LogCapture log;
    DisplayBatch batch;
    batch.setText("noSuchField", "x");
    batch.setColour(f::fixLatitude, DisplayBatch::Colour::Red);
    batch.setMatrixCell(f::satsInView, 0, 5, "12", true);
    batch.setText(f::fixMode, "3D fix");
    display->apply(batch);
    display->apply(batch);
    EXPECT_EQ(log.count("No window field is named \"noSuchField\" - its writes are dropped"), 1u);
    EXPECT_EQ(log.count("Window field \"fixLatitude\" cannot show a colour - dropped"), 1u);
    EXPECT_EQ(log.count("Window field \"satsInView\" cannot show a matrix cell - dropped"), 1u);
    EXPECT_EQ(
        display->snapshot(std::array{f::fixMode, f::satsInView}), (Shown{{"fixMode", "3D fix"}, {"satsInView", "/"}}));
}

// A window placed partly off the screen opens whole on it.
TEST_F(WindowDisplay, FrontShowsRaisesOnTheScreenAndFloatingChangesTheLevelOfAShownWindow)
{
    LogCapture log;
    QWidget& mini = windows->miniNavWindow();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    mini.move(area.right() - 20, area.top() - 10);
    DisplayBatch front;
    front.bringToFront(f::miniNavWindow);
    front.setFloating(f::miniNavWindow, true);
    display->apply(front);
    EXPECT_TRUE(mini.isVisible());
    EXPECT_EQ(mini.frameGeometry().topRight(), area.topRight());
    EXPECT_TRUE(area.contains(mini.frameGeometry()));
    EXPECT_TRUE(mini.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    DisplayBatch lower;
    lower.setFloating(f::miniNavWindow, false);
    display->apply(lower);
    EXPECT_TRUE(mini.isVisible());
    EXPECT_FALSE(mini.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    DisplayBatch hide;
    hide.setVisible(f::miniNavWindow, false);
    display->apply(hide);
    EXPECT_FALSE(mini.isVisible());
    EXPECT_TRUE(log.lines().empty()) << log.lines().front();
}

// Names and markup from files show as plain text.
TEST_F(WindowDisplay, TheLastValueOfABatchShowsWhileStepsAndWindowOrdersAllCount)
{
    DisplayBatch batch;
    batch.setText(f::fixHError, "");
    batch.setNumber(f::fixHErrorMeter, 0.0);
    batch.setEnabled(f::wpCrossTrackCDI, false);
    batch.setSliderValue(f::wpCrossTrackCDI, 0.0);
    batch.stepIndicator(f::gpsDataIndicator);
    batch.setVisible(f::window, false);
    batch.setNumber(f::fixHError, 27.94);
    batch.setNumber(f::fixHErrorMeter, 8.5);
    batch.setEnabled(f::wpCrossTrackCDI, true);
    batch.setSliderValue(f::wpCrossTrackCDI, -0.25);
    batch.stepIndicator(f::gpsDataIndicator);
    batch.bringToFront(f::window);
    batch.setMatrixColumns(f::satsInView, 2);
    batch.setMatrixCell(f::satsInView, 0, 1, "17", true);
    batch.setMatrixColumns(f::satsInView, 3);
    batch.setText(f::nextWP, "<b>Rock</b> & <i>Reef</i>");
    batch.setBoxTitle(f::wpBox, "<h1>Coast</h1>: A->B");
    display->apply(batch);
    EXPECT_EQ(windows->navDataWindow().findChild<QLabel*>("nextWP")->textFormat(), Qt::PlainText);
    EXPECT_EQ(display->snapshot(std::array{f::fixHError, f::fixHErrorMeter, f::wpCrossTrackCDI, f::gpsDataIndicator,
                  f::window, f::satsInView, f::nextWP, f::wpBox}),
        (Shown{{"fixHError", "27.9"}, {"fixHErrorMeter", "9"}, {"wpCrossTrackCDI", "-0.250 in -1.0..1.0"},
            {"gpsDataIndicator", "2"}, {"window", "shown"}, {"satsInView", "/ 17/* /"},
            {"nextWP", "<b>Rock</b> & <i>Reef</i>"}, {"wpBox", "<h1>Coast</h1>: A->B"}}));
}

// The highlight draws the background of the time en route.
TEST_F(WindowDisplay, NumberFieldsKeepTheirWidthAsValuesChangeAndHighlightDrawsTheirBackground)
{
    windows->navDataWindow().show();
    auto* distance = windows->navDataWindow().findChild<QLabel*>("wpDistance");
    auto* ete = windows->navDataWindow().findChild<QLabel*>("wpETE");
    const QSize windowSize = windows->navDataWindow().size();
    const int distanceWidth = distance->width();
    for (const double value : {0.0, 9.5, 1234.56, 88888.88}) {
        DisplayBatch batch;
        batch.setNumber(f::wpDistance, value);
        batch.setText(f::wpETE, "123:59:59");
        batch.setHighlight(f::wpETE, value > 0.0);
        display->apply(batch);
        processEvents();
        EXPECT_EQ(distance->width(), distanceWidth) << value;
        EXPECT_GE(distance->contentsRect().width(), distance->fontMetrics().horizontalAdvance(distance->text()));
        EXPECT_GE(ete->contentsRect().width(), ete->fontMetrics().horizontalAdvance(ete->text()));
        EXPECT_EQ(windows->navDataWindow().size(), windowSize);
        EXPECT_EQ(amber(*ete), value > 0.0);
    }
    DisplayBatch off;
    off.setHighlight(f::wpETE, false);
    display->apply(off);
    EXPECT_FALSE(amber(*ete));
    EXPECT_EQ(ete->text(), "123:59:59");
}

} // namespace
} // namespace navora::test
