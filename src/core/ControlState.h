#pragma once

#include "core/RouteColour.h"

namespace navora {

// What a handler may ask of the control that sent a notification (a check
// box, a matrix, a colour well), captured when it is posted so the handler
// never has to reach into a widget, and may run on any thread.
struct ControlState {
    int tag = 0;
    // A check box's state: on or off.
    bool state = false;
    int selectedRow = -1;
    int selectedColumn = -1;
    RouteColour colour;

    friend bool operator==(const ControlState&, const ControlState&) = default;
};

} // namespace navora
