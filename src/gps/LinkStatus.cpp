#include "gps/LinkStatus.h"

#include <cmath>
#include <cstdio>

namespace navora {

std::string LinkStatus::text() const
{
    switch (stage) {
    case Stage::Connecting:
        return "Connecting to gpsd at " + endpoint + "...";
    case Stage::CannotConnect:
        return "Cannot connect to gpsd at " + endpoint + (reason.empty() ? "" : " (" + reason + ")") + ". Next try in "
            + duration(nextTry) + ".";
    case Stage::Connected:
        return "Connected to gpsd at " + endpoint + ".";
    case Stage::NoReceiver:
        return "Connected to gpsd at " + endpoint + ", which has no receiver.";
    case Stage::ReceiverOffline:
        return "The receiver is off line.";
    case Stage::NoFix:
        return "The receiver is on line, without a fix.";
    case Stage::Fix:
        return "Receiving fixes from gpsd at " + endpoint + ".";
    }
    return {};
}

LinkStatus::Stage LinkStatus::connectedStage(int receivers, double online, int mode)
{
    if (receivers == 0)
        return Stage::NoReceiver;
    if (online == 0.0)
        return Stage::ReceiverOffline;
    if (mode >= 2)
        return Stage::Fix;
    if (mode == 1)
        return Stage::NoFix;
    return Stage::Connected;
}

std::string LinkStatus::duration(std::chrono::milliseconds wait)
{
    const long long ms = wait.count();
    char text[32];
    if (ms >= 60000 && ms % 60000 == 0)
        std::snprintf(text, sizeof(text), "%lld min", ms / 60000);
    else if (ms % 1000 == 0)
        std::snprintf(text, sizeof(text), "%lld s", ms / 1000);
    else
        std::snprintf(text, sizeof(text), "%.1f s", static_cast<double>(ms) / 1000.0);
    return text;
}

} // namespace navora
