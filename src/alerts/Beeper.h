#pragma once

namespace navora {

// The system beep, by role. Called from the GPS thread.
class Beeper {
public:
    virtual ~Beeper() = default;

    virtual void beep() = 0;

protected:
    Beeper() = default;
    Beeper(const Beeper&) = default;
    Beeper& operator=(const Beeper&) = default;
};

} // namespace navora
