#include "gps/windows/CourseDeviationIndicator.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace navora {

namespace {

// Dots on each side of the centre, as on a panel instrument.
constexpr int dotsPerSide = 4;
const QColor needleColour(255, 0, 200);

} // namespace

CourseDeviationIndicator::CourseDeviationIndicator(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CourseDeviationIndicator::setMinimum(double minimum)
{
    setRange(minimum, m_maximum);
}

void CourseDeviationIndicator::setMaximum(double maximum)
{
    setRange(m_minimum, maximum);
}

void CourseDeviationIndicator::setRange(double minimum, double maximum)
{
    // A range that is not a pair of numbers is kept out: the needle would
    // have nowhere to stand.
    if (!std::isfinite(minimum) || !std::isfinite(maximum))
        return;
    m_minimum = minimum;
    m_maximum = maximum;
    update();
}

void CourseDeviationIndicator::setValue(double value)
{
    m_value = std::isnan(value) ? 0.0 : value;
    update();
}

double CourseDeviationIndicator::needleFraction() const
{
    const double span = m_maximum - m_minimum;
    if (!(span > 0.0))
        return 0.5;
    return std::clamp((m_value - m_minimum) / span, 0.0, 1.0);
}

QSize CourseDeviationIndicator::sizeHint() const
{
    return {320, 44};
}

QSize CourseDeviationIndicator::minimumSizeHint() const
{
    return {160, 36};
}

void CourseDeviationIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bar = QRectF(rect()).adjusted(2.0, 2.0, -2.0, -2.0);
    paintScale(painter, bar);
    paintNeedle(painter, bar);
}

void CourseDeviationIndicator::paintScale(QPainter& painter, const QRectF& bar) const
{
    const QColor face = isEnabled() ? QColor(24, 28, 34) : QColor(70, 72, 76);
    painter.setPen(Qt::NoPen);
    painter.setBrush(face);
    painter.drawRoundedRect(bar, 6.0, 6.0);

    const double inset = bar.height() / 2.0;
    const double halfWidth = bar.width() / 2.0 - inset;
    const QPointF centre = bar.center();
    const double dot = std::max(3.0, bar.height() / 9.0);
    painter.setBrush(QColor(230, 230, 230));
    for (int i = 1; i <= dotsPerSide; ++i) {
        const double dx = halfWidth * i / dotsPerSide;
        painter.drawEllipse(QPointF(centre.x() - dx, centre.y()), dot / 2.0, dot / 2.0);
        painter.drawEllipse(QPointF(centre.x() + dx, centre.y()), dot / 2.0, dot / 2.0);
    }
    // The track: a small triangle at the centre pointing ahead.
    QPainterPath track;
    const double size = bar.height() * 0.28;
    track.moveTo(centre.x(), bar.top() + 4.0);
    track.lineTo(centre.x() - size / 2.0, bar.top() + 4.0 + size);
    track.lineTo(centre.x() + size / 2.0, bar.top() + 4.0 + size);
    track.closeSubpath();
    painter.drawPath(track);
    painter.fillRect(QRectF(centre.x() - 1.0, bar.bottom() - size, 2.0, size - 3.0), QColor(230, 230, 230));
}

void CourseDeviationIndicator::paintNeedle(QPainter& painter, const QRectF& bar) const
{
    const double inset = bar.height() / 2.0;
    const double x = bar.left() + inset + needleFraction() * (bar.width() - 2.0 * inset);
    const double width = std::max(4.0, bar.height() / 8.0);
    const QColor colour = isEnabled() ? needleColour : QColor(150, 150, 150);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(x - width / 2.0, bar.top() + 3.0, width, bar.height() - 6.0), 2.0, 2.0);
}

} // namespace navora
