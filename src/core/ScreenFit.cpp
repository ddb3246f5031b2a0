#include "core/ScreenFit.h"

#include <algorithm>

namespace navora {

QRect ScreenFit::fitted(const QRect& frame, const QRect& available)
{
    if (!available.isValid() || !frame.isValid())
        return frame;
    QRect placed(frame.topLeft(), frame.size().boundedTo(available.size()));
    placed.moveLeft(std::clamp(placed.left(), available.left(), available.left() + available.width() - placed.width()));
    placed.moveTop(std::clamp(placed.top(), available.top(), available.top() + available.height() - placed.height()));
    return placed;
}

} // namespace navora
