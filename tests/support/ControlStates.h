#pragma once

#include "core/ControlState.h"

namespace navora::test {

// The states of the preferences window's controls as its notifications
// carry them.
inline ControlState checkBox(int tag, bool on)
{
    ControlState control;
    control.tag = tag;
    control.state = on;
    return control;
}

inline ControlState matrixRow(int row)
{
    ControlState control;
    control.selectedRow = row;
    return control;
}

inline ControlState matrixColumn(int tag, int column)
{
    ControlState control;
    control.tag = tag;
    control.selectedColumn = column;
    return control;
}

inline ControlState colourWell(const RouteColour& colour)
{
    ControlState control;
    control.colour = colour;
    return control;
}

} // namespace navora::test
