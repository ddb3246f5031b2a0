#pragma once

#include <array>
#include <string_view>

// The names of the controls of the document windows, as the logic addresses
// them and as the window layouts (layouts/*.ui) give them as objectName.
namespace navora::field {

// Layout "WaypointDocument": the list window.
inline constexpr std::string_view wpTable = "wpTable";
inline constexpr std::string_view wpAddButton = "wpAddButton";
inline constexpr std::string_view wpEditButton = "wpEditButton";
inline constexpr std::string_view wpDeleteButton = "wpDeleteButton";
inline constexpr std::string_view wpActivateButton = "wpActivateButton";
inline constexpr std::string_view showNearestButton = "showNearestButton";
inline constexpr std::string_view importKMLAction = "importKMLAction";
inline constexpr std::string_view importGPXAction = "importGPXAction";

// Its detail sheet.
inline constexpr std::string_view wpDetailPanel = "wpDetailPanel";
inline constexpr std::string_view wpBox = "wpBox";
inline constexpr std::string_view detailAddUpdButton = "detailAddUpdButton";
inline constexpr std::string_view detailDeleteButton = "detailDeleteButton";
inline constexpr std::string_view detailCurrentPosButton = "detailCurrentPosButton";
inline constexpr std::string_view detailActivateButton = "detailActivateButton";
inline constexpr std::string_view detailCancelButton = "detailCancelButton";
inline constexpr std::string_view wpEW = "wpEW";
inline constexpr std::string_view wpNS = "wpNS";
inline constexpr std::string_view wpFtM = "wpFtM";
inline constexpr std::string_view wpName = "wpName";
inline constexpr std::string_view wpComment = "wpComment";
inline constexpr std::string_view wpLatDeg = "wpLatDeg";
inline constexpr std::string_view wpLatitude = "wpLatitude";
inline constexpr std::string_view wpLatMin = "wpLatMin";
inline constexpr std::string_view wpLatSec = "wpLatSec";
inline constexpr std::string_view wpLonDeg = "wpLonDeg";
inline constexpr std::string_view wpLongitude = "wpLongitude";
inline constexpr std::string_view wpLonMin = "wpLonMin";
inline constexpr std::string_view wpLonSec = "wpLonSec";
inline constexpr std::string_view wpAltitude = "wpAltitude";

// Its nearest-waypoints panel.
inline constexpr std::string_view nearestPanel = "nearestPanel";
inline constexpr std::string_view nearestActivateButton = "nearestActivateButton";
inline constexpr std::string_view nearestCloseButton = "nearestCloseButton";
inline constexpr std::string_view nearestTable = "nearestTable";
inline constexpr std::string_view nearestOrigin = "nearestOrigin";

// Layout "RouteDocument": the route window.
inline constexpr std::string_view routeTable = "routeTable";
inline constexpr std::string_view routeName = "routeName";
inline constexpr std::string_view routeAddInsertButton = "routeAddInsertButton";
inline constexpr std::string_view routeChangeButton = "routeChangeButton";
inline constexpr std::string_view routeRemoveButton = "routeRemoveButton";
inline constexpr std::string_view routeClearAllButton = "routeClearAllButton";
inline constexpr std::string_view routeDirectToButton = "routeDirectToButton";
inline constexpr std::string_view routeJoinSegmentButton = "routeJoinSegmentButton";
inline constexpr std::string_view routeReverseButton = "routeReverseButton";
inline constexpr std::string_view routeMoveUpButton = "routeMoveUpButton";
inline constexpr std::string_view routeMoveDownButton = "routeMoveDownButton";

// Its detail sheet (wpBox, wpName, wpComment, wpLatitude and wpLongitude as
// above).
inline constexpr std::string_view routeDetailPanel = "routeDetailPanel";
inline constexpr std::string_view detailAddInsertChangeButton = "detailAddInsertChangeButton";
inline constexpr std::string_view wpLatLonFormat = "wpLatLonFormat";
inline constexpr std::string_view wpPickListButton = "wpPickListButton";

// What each layout file must hold.
inline constexpr std::array waypointWindowNames{wpTable, wpAddButton, wpEditButton, wpDeleteButton, wpActivateButton,
    showNearestButton, importKMLAction, importGPXAction};
inline constexpr std::array waypointDetailNames{wpDetailPanel, wpBox, detailAddUpdButton, detailDeleteButton,
    detailCurrentPosButton, detailActivateButton, detailCancelButton, wpEW, wpNS, wpFtM, wpName, wpComment, wpLatDeg,
    wpLatitude, wpLatMin, wpLatSec, wpLonDeg, wpLongitude, wpLonMin, wpLonSec, wpAltitude};
inline constexpr std::array nearestNames{
    nearestPanel, nearestActivateButton, nearestCloseButton, nearestTable, nearestOrigin};
inline constexpr std::array routeWindowNames{routeTable, routeName, routeAddInsertButton, routeChangeButton,
    routeRemoveButton, routeClearAllButton, routeDirectToButton, routeJoinSegmentButton, routeReverseButton,
    routeMoveUpButton, routeMoveDownButton, importKMLAction};
inline constexpr std::array routeDetailNames{routeDetailPanel, wpBox, detailAddInsertChangeButton, wpName, wpComment,
    wpLatLonFormat, wpLatitude, wpLongitude, wpPickListButton, detailCancelButton};

} // namespace navora::field
