#include "gps/windows/DataIndicator.h"

#include <QPainter>

#include <algorithm>

namespace navora {

DataIndicator::DataIndicator(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void DataIndicator::step()
{
    ++m_steps;
    update();
}

QSize DataIndicator::sizeHint() const
{
    return {24, 24};
}

void DataIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double radius = std::min(width(), height()) / 2.0;
    painter.translate(width() / 2.0, height() / 2.0);
    const int lead = static_cast<int>(m_steps % segments);
    const QColor ink = palette().color(QPalette::WindowText);
    for (int i = 0; i < segments; ++i) {
        // The lead segment is brightest; the ones behind it fade out.
        const int behind = (lead - i + segments) % segments;
        QColor colour = ink;
        colour.setAlphaF(static_cast<float>(std::max(0.15, 1.0 - behind * 0.22)));
        painter.setPen(QPen(colour, std::max(2.0, radius / 5.0), Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0.0, -radius * 0.45), QPointF(0.0, -radius * 0.85));
        painter.rotate(360.0 / segments);
    }
}

} // namespace navora
