#pragma once

#include "model/Route.h"

#include <functional>
#include <string>
#include <string_view>

namespace navora {

class XmlWriter;

// The KML files of the export: a waypoint list as point placemarks; a route
// as its point placemarks, then one line placemark through them drawn in the
// route colour.
class KmlExport {
public:
    static constexpr std::string_view kNamespace = "http://earth.google.com/kml/2.0";
    using ErrorHandler = std::function<void(std::string_view description)>;

    static void writeWaypointList(XmlWriter& writer, const WaypointList& list);
    // routeColour is the aabbggrr text. A style text that does not parse is
    // passed to onError and the Style element left out.
    static void writeRoute(
        XmlWriter& writer, const Route& route, std::string_view routeColour, const ErrorHandler& onError);

    // The same, as the file's text.
    static std::string waypointList(const WaypointList& list);
    static std::string route(const Route& route, std::string_view routeColour, const ErrorHandler& onError);

    // The route style as text, parsed and inserted by writeRoute.
    static std::string styleText(std::string_view routeColour);

private:
    static void startDocument(XmlWriter& writer);
    // Writes the point placemarks; appends each point's line to lineCoordinates.
    static void writePlacemarks(
        XmlWriter& writer, const WaypointList& list, std::string* lineCoordinates, bool* allAltitudesKnown);
};

} // namespace navora
