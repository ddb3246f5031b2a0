#pragma once

#include "core/RouteColour.h"

#include <QToolButton>

namespace navora {

// A button that shows a colour and, when clicked, lets the user pick another
// one, transparency included. It keeps the colour as RouteColour so a value
// read from the settings goes back out unchanged, not rounded through the
// 16-bit channels of QColor.
class RouteColourWell : public QToolButton {
    Q_OBJECT

public:
    explicit RouteColourWell(QWidget* parent = nullptr);

    RouteColour colour() const { return m_colour; }
    // Shows colour; emits nothing.
    void setColour(const RouteColour& colour);

    static QColor toQColor(const RouteColour& colour);
    static RouteColour fromQColor(const QColor& colour);

signals:
    // The user picked a colour in the dialog (not emitted when it is cancelled).
    void colourChosen();

private:
    void chooseColour();
    void showSwatch();

    RouteColour m_colour = RouteColour::routeDefault();
};

} // namespace navora
