#include "gps/windows/SatelliteMatrix.h"

#include <QPainter>

#include <algorithm>

namespace navora {

namespace {

// A cell holds a three-digit satellite number or signal strength.
const QString widestCell = QStringLiteral("888");
const QColor usedColour(46, 160, 67);
const QString rowTitles[SatelliteMatrix::rowCount] = {QStringLiteral("SAT"), QStringLiteral("SIGNAL")};

} // namespace

SatelliteMatrix::SatelliteMatrix(QWidget* parent)
    : QWidget(parent)
    , m_columns(1)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SatelliteMatrix::setColumnCount(int columns)
{
    m_columns.resize(static_cast<size_t>(std::max(1, columns)));
    update();
}

bool SatelliteMatrix::setCell(int row, int column, const QString& text, bool highlighted)
{
    if (row < 0 || row >= rowCount || column < 0 || column >= columnCount())
        return false;
    m_columns[static_cast<size_t>(column)][static_cast<size_t>(row)] = Cell{text, highlighted};
    update();
    return true;
}

const SatelliteMatrix::Cell* SatelliteMatrix::cell(int row, int column) const
{
    if (row < 0 || row >= rowCount || column < 0 || column >= columnCount())
        return nullptr;
    return &m_columns[static_cast<size_t>(column)][static_cast<size_t>(row)];
}

QString SatelliteMatrix::cellText(int row, int column) const
{
    const Cell* found = cell(row, column);
    return found ? found->text : QString();
}

bool SatelliteMatrix::cellHighlighted(int row, int column) const
{
    const Cell* found = cell(row, column);
    return found && found->highlighted;
}

QSize SatelliteMatrix::cellSize() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(widestCell) + 12, metrics.height() + 8};
}

int SatelliteMatrix::titleWidth() const
{
    const QFontMetrics metrics(titleFont());
    int width = 0;
    for (const QString& title : rowTitles)
        width = std::max(width, metrics.horizontalAdvance(title));
    return width + 10;
}

QFont SatelliteMatrix::titleFont() const
{
    QFont small = font();
    small.setBold(true);
    small.setPointSizeF(small.pointSizeF() * 0.75);
    return small;
}

QSize SatelliteMatrix::sizeHint() const
{
    const QSize cell = cellSize();
    const int columns = std::max(reservedColumns, columnCount());
    return {titleWidth() + columns * cell.width() + 1, rowCount * cell.height() + 1};
}

QSize SatelliteMatrix::minimumSizeHint() const
{
    return sizeHint();
}

void SatelliteMatrix::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QSize size = cellSize();
    const int left = titleWidth();
    painter.setFont(titleFont());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    for (int row = 0; row < rowCount; ++row)
        painter.drawText(
            QRect(0, row * size.height(), left - 6, size.height()), Qt::AlignRight | Qt::AlignVCenter, rowTitles[row]);
    painter.setFont(font());
    const QColor grid = palette().color(QPalette::Mid);
    for (int column = 0; column < columnCount(); ++column) {
        for (int row = 0; row < rowCount; ++row) {
            const Cell& shown = *cell(row, column);
            const QRect box(left + column * size.width(), row * size.height(), size.width(), size.height());
            painter.fillRect(box, shown.highlighted ? usedColour : palette().color(QPalette::Base));
            painter.setPen(grid);
            painter.drawRect(box);
            painter.setPen(shown.highlighted ? QColor(Qt::white) : palette().color(QPalette::Text));
            painter.drawText(box, Qt::AlignCenter, shown.text);
        }
    }
}

} // namespace navora
