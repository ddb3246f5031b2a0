#include "gps/windows/ColourWell.h"

#include <QPainter>

namespace navora {

ColourWell::ColourWell(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ColourWell::setColour(const QColor& colour)
{
    m_colour = colour;
    update();
}

QSize ColourWell::sizeHint() const
{
    return {24, 24};
}

void ColourWell::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF patch = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    painter.setPen(QPen(palette().color(QPalette::Mid), 1.0));
    painter.setBrush(m_colour.isValid() ? QBrush(m_colour) : QBrush(Qt::NoBrush));
    painter.drawRoundedRect(patch, 4.0, 4.0);
}

} // namespace navora
