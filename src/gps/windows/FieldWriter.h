#pragma once

#include "nav/DisplayBatch.h"

#include <QString>

class QLabel;
class QWidget;

namespace navora {

// How each kind of write shows in each kind of widget: labels take texts,
// numbers (in the number format their layout gives them), dates (in their
// date format, local time) and a highlight; group boxes take titles; the
// meters, the indicator, the colour well and the satellite matrix take what
// they show; windows are shown, raised and floated.
//
// The number format of a label lies in its properties: "decimals",
// "integerDigits" (padded with zeros), "positivePrefix", "negativePrefix"
// (in place of the minus sign) and "suffix"; its date format in "dateFormat".
class FieldWriter {
public:
    // Whether a widget can show writes of the kind.
    static bool canTake(const QWidget& widget, DisplayBatch::Kind kind);
    // Applies one write; false when the widget cannot show it.
    static bool write(QWidget& widget, const DisplayBatch::Write& write);
    // What the widget shows, as text.
    static QString shownText(const QWidget& widget);

    static QString numberText(const QLabel& label, double value);
    static QString dateText(const QLabel& label, double secondsSince1970);
    static const char* kindName(DisplayBatch::Kind kind);

private:
    static bool writeLabel(QLabel& label, const DisplayBatch::Write& write);
    static void setHighlight(QWidget& widget, bool highlighted);
    static void bringToFront(QWidget& window);
    static void setFloating(QWidget& window, bool floating);
};

} // namespace navora
