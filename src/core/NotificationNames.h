#pragma once

#include <array>
#include <string_view>

namespace navora {

// Names posted through the NotificationCenter. Each constant is named after
// its text so a grep for either finds both.

// GPS thread, after each report; object: the fix mode as a number.
inline constexpr std::string_view TRVgpsUpdateReceived = "TRVgpsUpdateReceived";
// "PPOS" created or lost (or asked for); object: the GPSController.
inline constexpr std::string_view TRVcpUpdated = "TRVcpUpdated";
// A waypoint window has opened; object: its document.
inline constexpr std::string_view TRVWDneedsCP = "TRVWDneedsCP";
// Navigate to one waypoint; object: the waypoint.
inline constexpr std::string_view TRVWaypointActivated = "TRVWaypointActivated";
// Navigate along a route; object: the route, its active index already set.
inline constexpr std::string_view TRVRouteActivated = "TRVRouteActivated";
// A route (or none) is now active; object: the route, empty when stopped.
inline constexpr std::string_view TRVRouteIsActive = "TRVRouteIsActive";
// A route document changed its route (its name, its waypoints); object: the
// route. Navigation takes a new copy when it is the active one.
inline constexpr std::string_view TRVRouteEdited = "TRVRouteEdited";
// Make sure the GPS link runs before an activation; object: the document.
inline constexpr std::string_view TRVCheckGPSRunning = "TRVCheckGPSRunning";
// A waypoint picked for a route; object: the waypoint.
inline constexpr std::string_view TRVRouteWaypointSelected = "TRVRouteWaypointSelected";
// Preference changes, posted after the new value has been stored.
inline constexpr std::string_view TRVServerPortChanged = "TRVServerPortChanged";
inline constexpr std::string_view TRVUnitsChanged = "TRVUnitsChanged";
inline constexpr std::string_view TRVArrivalAlertChanged = "TRVArrivalAlertChanged";
inline constexpr std::string_view TRVMNFloatChanged = "TRVMNFloatChanged";
inline constexpr std::string_view TRVGrowlChanged = "TRVGrowlChanged";
inline constexpr std::string_view TRVSpeechChanged = "TRVSpeechChanged";
inline constexpr std::string_view TRVRouteColourChanged = "TRVRouteColourChanged";

inline constexpr std::array<std::string_view, 16> allNotificationNames = {
    TRVgpsUpdateReceived,
    TRVcpUpdated,
    TRVWDneedsCP,
    TRVWaypointActivated,
    TRVRouteActivated,
    TRVRouteIsActive,
    TRVRouteEdited,
    TRVCheckGPSRunning,
    TRVRouteWaypointSelected,
    TRVServerPortChanged,
    TRVUnitsChanged,
    TRVArrivalAlertChanged,
    TRVMNFloatChanged,
    TRVGrowlChanged,
    TRVSpeechChanged,
    TRVRouteColourChanged,
};

} // namespace navora
