#pragma once

#include <string_view>

namespace navora {

// A kind of document as the document framework, the exports and the pick
// lists know it: the type name is its identifier, compared as is.
struct DocumentType {
    std::string_view name;
    // Without the dot.
    std::string_view extension;
};

inline constexpr DocumentType kWaypointsDocumentType{"Navora Waypoints File", "nvw"};
inline constexpr DocumentType kRouteDocumentType{"Navora Route File", "nvr"};

} // namespace navora
