#pragma once

#include <chrono>
#include <string>

namespace navora {

// What the link to gpsd is doing, in words for the window: the stage, the
// server it concerns, and for a failed connection why and when the next
// attempt is.
struct LinkStatus {
    enum class Stage {
        Connecting,
        CannotConnect,
        // Connected, and gpsd has not yet said which receivers it has.
        Connected,
        NoReceiver,
        ReceiverOffline,
        NoFix,
        Fix,
    };

    Stage stage = Stage::Connecting;
    // "host:port".
    std::string endpoint;
    std::string reason;
    std::chrono::milliseconds nextTry{0};

    std::string text() const;
    bool operator==(const LinkStatus&) const = default;

    // The stage of a connected link: receivers the server lists (-1 not yet
    // said), its receiver's on-line time (NaN unknown, 0 off line) and mode.
    static Stage connectedStage(int receivers, double online, int mode);
    // A wait as the window says it: "5 s", "1.5 s", "2 min".
    static std::string duration(std::chrono::milliseconds wait);
};

} // namespace navora
