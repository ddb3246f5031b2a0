#include "app/preferences/RouteColourWell.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

namespace navora {

namespace {

constexpr int swatchWidth = 56;
constexpr int swatchHeight = 20;

} // namespace

RouteColourWell::RouteColourWell(QWidget* parent)
    : QToolButton(parent)
{
    setIconSize(QSize(swatchWidth, swatchHeight));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(this, &QToolButton::clicked, this, [this] { chooseColour(); });
    showSwatch();
}

void RouteColourWell::setColour(const RouteColour& colour)
{
    m_colour = colour;
    showSwatch();
}

QColor RouteColourWell::toQColor(const RouteColour& colour)
{
    return QColor::fromRgbF(static_cast<float>(colour.red), static_cast<float>(colour.green),
        static_cast<float>(colour.blue), static_cast<float>(colour.alpha));
}

RouteColour RouteColourWell::fromQColor(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return {rgb.redF(), rgb.greenF(), rgb.blueF(), rgb.alphaF()};
}

void RouteColourWell::chooseColour()
{
    // Qt's own dialog: not every desktop's native one offers transparency.
    const QColor chosen = QColorDialog::getColor(toQColor(m_colour), this, tr("Route Colour"),
        QColorDialog::ShowAlphaChannel | QColorDialog::DontUseNativeDialog);
    if (!chosen.isValid())
        return;
    setColour(fromQColor(chosen));
    emit colourChosen();
}

void RouteColourWell::showSwatch()
{
    // A checkerboard under the colour makes its transparency visible.
    QPixmap swatch(swatchWidth, swatchHeight);
    swatch.fill(Qt::white);
    QPainter painter(&swatch);
    const int square = swatchHeight / 2;
    for (int y = 0; y < swatchHeight; y += square) {
        for (int x = (y / square) % 2 * square; x < swatchWidth; x += 2 * square)
            painter.fillRect(x, y, square, square, Qt::lightGray);
    }
    painter.fillRect(swatch.rect(), toQColor(m_colour));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    painter.end();
    setIcon(QIcon(swatch));
    setToolTip(tr("Red %1, green %2, blue %3, opacity %4 %")
                   .arg(qRound(m_colour.red * 255))
                   .arg(qRound(m_colour.green * 255))
                   .arg(qRound(m_colour.blue * 255))
                   .arg(qRound(m_colour.alpha * 100)));
}

} // namespace navora
