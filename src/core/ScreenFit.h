#pragma once

#include <QRect>

namespace navora {

// Where a window goes so that all of it can be seen: its frame moved the
// least it takes to lie within the screen's available area, and cut down to
// that area where it is larger. A default place worked out for another size,
// or a place kept from a larger or another screen, then still opens whole.
class ScreenFit {
public:
    // frame unchanged when available is empty.
    static QRect fitted(const QRect& frame, const QRect& available);
};

} // namespace navora
