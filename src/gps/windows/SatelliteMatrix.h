#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <vector>

namespace navora {

// The satellites in view: two rows of cells, satellite numbers above their
// signal strengths (each row titled at its left), one column per satellite; the cells of satellites used
// in the solution are drawn highlighted. It starts with one column and
// reserves the width of twelve, so the window never changes size.
class SatelliteMatrix : public QWidget {
    Q_OBJECT
public:
    static constexpr int rowCount = 2;
    static constexpr int reservedColumns = 12;

    explicit SatelliteMatrix(QWidget* parent = nullptr);

    int columnCount() const { return static_cast<int>(m_columns.size()); }
    // At least one column; the first ones keep their cells.
    void setColumnCount(int columns);
    // False for a cell outside the matrix.
    bool setCell(int row, int column, const QString& text, bool highlighted);
    QString cellText(int row, int column) const;
    bool cellHighlighted(int row, int column) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Cell {
        QString text;
        bool highlighted = false;
    };
    using Column = std::array<Cell, rowCount>;

    const Cell* cell(int row, int column) const;
    QSize cellSize() const;
    // The row titles at the left.
    int titleWidth() const;
    QFont titleFont() const;

    std::vector<Column> m_columns;
};

} // namespace navora
