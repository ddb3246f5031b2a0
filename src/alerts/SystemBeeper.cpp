#include "alerts/SystemBeeper.h"

#include <cstdio>

namespace navora {

SystemBeeper::SystemBeeper(Sound sound)
    : m_sound(std::move(sound))
{
}

void SystemBeeper::beep()
{
    if (m_sound) {
        m_sound();
        return;
    }
    std::fputc('\a', stderr);
    std::fflush(stderr);
}

} // namespace navora
