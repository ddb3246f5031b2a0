#pragma once

#include <array>
#include <string_view>

// Names of the window fields the GPS controller writes: the objectName of
// each control in the "GPSController" layout. Each constant is named after
// its text so a search for either finds both.
namespace navora::fields {

// The three windows of the layout: the GPS window is the controller's own.
inline constexpr std::string_view window = "window";
inline constexpr std::string_view navDataWindow = "navDataWindow";
inline constexpr std::string_view miniNavWindow = "miniNavWindow";

// GPS window.
inline constexpr std::string_view fixBox = "fixBox";
inline constexpr std::string_view fixMode = "fixMode";
inline constexpr std::string_view fixModeColor = "fixModeColor";
inline constexpr std::string_view fixLatitude = "fixLatitude";
inline constexpr std::string_view fixLongitude = "fixLongitude";
inline constexpr std::string_view fixAltitude = "fixAltitude";
inline constexpr std::string_view fixSpeed = "fixSpeed";
inline constexpr std::string_view fixTrack = "fixTrack";
inline constexpr std::string_view fixTime = "fixTime";
inline constexpr std::string_view fixTimeLocal = "fixTimeLocal";
inline constexpr std::string_view fixVSpeed = "fixVSpeed";
inline constexpr std::string_view fixHError = "fixHError";
inline constexpr std::string_view fixHErrorMeter = "fixHErrorMeter";
inline constexpr std::string_view fixVError = "fixVError";
inline constexpr std::string_view fixVErrorMeter = "fixVErrorMeter";
inline constexpr std::string_view gpsDataIndicator = "gpsDataIndicator";
inline constexpr std::string_view satsInView = "satsInView";
// What the link to gpsd is doing, in words.
inline constexpr std::string_view linkState = "linkState";

// Navigation window.
inline constexpr std::string_view wpDistance = "wpDistance";
inline constexpr std::string_view wpETE = "wpETE";
inline constexpr std::string_view wpCrossTrackCDI = "wpCrossTrackCDI";
inline constexpr std::string_view wpBearing = "wpBearing";
inline constexpr std::string_view wpCrossTrack = "wpCrossTrack";
inline constexpr std::string_view wpETA = "wpETA";
inline constexpr std::string_view wpETALocal = "wpETALocal";
inline constexpr std::string_view wpVMG = "wpVMG";
inline constexpr std::string_view dDistance = "dDistance";
inline constexpr std::string_view dETA = "dETA";
inline constexpr std::string_view dETE = "dETE";
inline constexpr std::string_view wpBox = "wpBox";
inline constexpr std::string_view nextWP = "nextWP";
inline constexpr std::string_view wpLatitude = "wpLatitude";
inline constexpr std::string_view wpLongitude = "wpLongitude";
inline constexpr std::string_view wpDTK = "wpDTK";
inline constexpr std::string_view unitsDTK = "unitsDTK";
inline constexpr std::string_view wpCDIScale = "wpCDIScale";
// Once the destination is reached: "Arrived at NAME", the local time of
// arrival, and the command that stops navigating.
inline constexpr std::string_view wpArrived = "wpArrived";
inline constexpr std::string_view wpArrivedTime = "wpArrivedTime";
inline constexpr std::string_view wpStopNavigating = "wpStopNavigating";
// The three scale choices in it, widest first; labelled in the distance unit.
inline constexpr std::string_view wpCDIScale0 = "wpCDIScale0";
inline constexpr std::string_view wpCDIScale1 = "wpCDIScale1";
inline constexpr std::string_view wpCDIScale2 = "wpCDIScale2";

// MiniNav window.
inline constexpr std::string_view mnBox = "mnBox";
inline constexpr std::string_view mnModeColor = "mnModeColor";
inline constexpr std::string_view mnLatitude = "mnLatitude";
inline constexpr std::string_view mnLongitude = "mnLongitude";
inline constexpr std::string_view mnAltitude = "mnAltitude";
inline constexpr std::string_view mnSpeed = "mnSpeed";
inline constexpr std::string_view mnTrack = "mnTrack";
inline constexpr std::string_view mnTime = "mnTime";
inline constexpr std::string_view mnDataIndicator = "mnDataIndicator";
inline constexpr std::string_view mnDistance = "mnDistance";
inline constexpr std::string_view mnETE = "mnETE";
inline constexpr std::string_view mnCDI = "mnCDI";
inline constexpr std::string_view mnLinkState = "mnLinkState";

// Unit labels.
inline constexpr std::string_view unitsAltitude = "unitsAltitude";
inline constexpr std::string_view mnUnitsAltitude = "mnUnitsAltitude";
inline constexpr std::string_view unitsSpeed = "unitsSpeed";
inline constexpr std::string_view unitsVMG = "unitsVMG";
inline constexpr std::string_view mnUnitsSpeed = "mnUnitsSpeed";
inline constexpr std::string_view unitsVSpeed = "unitsVSpeed";
inline constexpr std::string_view unitsDistance = "unitsDistance";
inline constexpr std::string_view unitsDDistance = "unitsDDistance";
inline constexpr std::string_view unitsCrossTrack = "unitsCrossTrack";
inline constexpr std::string_view mnUnitsDistance = "mnUnitsDistance";
inline constexpr std::string_view unitsHError = "unitsHError";
inline constexpr std::string_view unitsVError = "unitsVError";

// Every name above, for the layouts' checks and for snapshots of all fields.
inline constexpr std::array all{
    window,
    navDataWindow,
    miniNavWindow,
    fixBox,
    fixMode,
    fixModeColor,
    fixLatitude,
    fixLongitude,
    fixAltitude,
    fixSpeed,
    fixTrack,
    fixTime,
    fixTimeLocal,
    fixVSpeed,
    fixHError,
    fixHErrorMeter,
    fixVError,
    fixVErrorMeter,
    gpsDataIndicator,
    satsInView,
    linkState,
    wpDistance,
    wpETE,
    wpCrossTrackCDI,
    wpBearing,
    wpCrossTrack,
    wpETA,
    wpETALocal,
    wpVMG,
    dDistance,
    dETA,
    dETE,
    wpBox,
    nextWP,
    wpLatitude,
    wpLongitude,
    wpDTK,
    unitsDTK,
    wpCDIScale,
    wpArrived,
    wpArrivedTime,
    wpStopNavigating,
    wpCDIScale0,
    wpCDIScale1,
    wpCDIScale2,
    mnBox,
    mnModeColor,
    mnLatitude,
    mnLongitude,
    mnAltitude,
    mnSpeed,
    mnTrack,
    mnTime,
    mnDataIndicator,
    mnDistance,
    mnETE,
    mnCDI,
    mnLinkState,
    unitsAltitude,
    mnUnitsAltitude,
    unitsSpeed,
    unitsVMG,
    mnUnitsSpeed,
    unitsVSpeed,
    unitsDistance,
    unitsDDistance,
    unitsCrossTrack,
    mnUnitsDistance,
    unitsHError,
    unitsVError,
};

} // namespace navora::fields
