#pragma once

#include "nav/DisplayBatch.h"

namespace navora {

// Where the logic writes the windows: named fields, written and never read
// back. The GPS thread hands over one batch per report; the user-interface
// thread hands over batches of its own (unit labels, closing windows).
// An implementation applies every batch whole and in the order of the calls,
// on its own thread if it has one (a window display queues them to the
// user-interface thread), and never blocks the caller on that thread.
class Display {
public:
    virtual ~Display() = default;

    virtual void apply(DisplayBatch batch) = 0;

protected:
    Display() = default;
    Display(const Display&) = default;
    Display& operator=(const Display&) = default;
};

} // namespace navora
