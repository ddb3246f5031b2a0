#pragma once

#include <array>
#include <string_view>

namespace navora {

// Keys of the user's persistent settings. Code names a key only through these
// constants; the texts are the keys in the settings file.
inline constexpr std::string_view TRVUnitsKey = "Units";
inline constexpr std::string_view TRVgpsdServerKey = "GPSd server";
inline constexpr std::string_view TRVgpsdPortKey = "GPSd port";
inline constexpr std::string_view TRVGrowlOnKey = "Growl notifications";
inline constexpr std::string_view TRVSpeechOnKey = "Speech notifications";
inline constexpr std::string_view TRVSayWhatKey = "Speak waypoint comments";
inline constexpr std::string_view TRVProtocolKey = "GPSd protocol";
inline constexpr std::string_view TRVArrivalAlertKey = "Alert seconds before arrival";
inline constexpr std::string_view TRVRouteColourKey = "Route colour";
inline constexpr std::string_view TRVFloatMiniKey = "Floating MiniNav window";

inline constexpr std::array<std::string_view, 10> allSettingsKeys = {
    TRVUnitsKey,
    TRVgpsdServerKey,
    TRVgpsdPortKey,
    TRVGrowlOnKey,
    TRVSpeechOnKey,
    TRVSayWhatKey,
    TRVProtocolKey,
    TRVArrivalAlertKey,
    TRVRouteColourKey,
    TRVFloatMiniKey,
};

} // namespace navora
