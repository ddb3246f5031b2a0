#pragma once

#include "alerts/Beeper.h"

#include <functional>

namespace navora {

// The system beep. The program passes its own sound (for instance the GUI
// toolkit's beep, queued to the user-interface thread); without one, the
// terminal bell goes to standard error. The sound runs on the calling
// thread, which is the GPS thread.
class SystemBeeper : public Beeper {
public:
    using Sound = std::function<void()>;

    explicit SystemBeeper(Sound sound = {});

    void beep() override;

private:
    const Sound m_sound;
};

} // namespace navora
