#pragma once

#include <QColor>
#include <QWidget>

namespace navora {

// A patch of colour showing a state at a glance; the clear colour leaves
// only its outline.
class ColourWell : public QWidget {
    Q_OBJECT
public:
    explicit ColourWell(QWidget* parent = nullptr);

    // An invalid colour is the clear colour.
    void setColour(const QColor& colour);
    QColor colour() const { return m_colour; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_colour;
};

} // namespace navora
