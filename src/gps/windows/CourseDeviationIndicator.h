#pragma once

#include <QWidget>

class QPainter;

namespace navora {

// The course-deviation indicator: a horizontal scale with the track at its
// centre and a needle at the value (the negated cross-track error, so the
// needle stands on the side of the track). A value outside the range rests
// the needle at that end; a disabled indicator draws its needle greyed.
class CourseDeviationIndicator : public QWidget {
    Q_OBJECT
    Q_PROPERTY(double minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(double maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(double value READ value WRITE setValue)
public:
    explicit CourseDeviationIndicator(QWidget* parent = nullptr);

    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }
    double value() const { return m_value; }
    void setMinimum(double minimum);
    void setMaximum(double maximum);
    void setRange(double minimum, double maximum);
    void setValue(double value);

    // Where the needle stands: 0 at the left end, 1 at the right end.
    double needleFraction() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintScale(QPainter& painter, const QRectF& bar) const;
    void paintNeedle(QPainter& painter, const QRectF& bar) const;

    double m_minimum = -1.0;
    double m_maximum = 1.0;
    double m_value = 0.0;
};

} // namespace navora
