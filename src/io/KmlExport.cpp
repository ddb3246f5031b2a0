#include "io/KmlExport.h"

#include "io/ExportPoint.h"
#include "io/XmlFragment.h"
#include "io/XmlWriter.h"

namespace navora {

void KmlExport::writeWaypointList(XmlWriter& writer, const WaypointList& list)
{
    startDocument(writer);
    writePlacemarks(writer, list, nullptr, nullptr);
}

std::string KmlExport::waypointList(const WaypointList& list)
{
    XmlWriter writer;
    writeWaypointList(writer, list);
    return writer.finish();
}

std::string KmlExport::route(const Route& route, std::string_view routeColour, const ErrorHandler& onError)
{
    XmlWriter writer;
    writeRoute(writer, route, routeColour, onError);
    return writer.finish();
}

void KmlExport::writeRoute(
    XmlWriter& writer, const Route& route, std::string_view routeColour, const ErrorHandler& onError)
{
    startDocument(writer);
    // The document's name is the route's: an import takes it from there.
    if (route.routeName())
        writer.textElement("name", *route.routeName());
    const XmlFragment style(styleText(routeColour));
    if (style.root() != nullptr)
        writer.copyElement(style.root());
    else if (onError)
        onError(style.error());

    std::string lineCoordinates;
    bool allAltitudesKnown = true;
    writePlacemarks(writer, route.routeWaypoints(), &lineCoordinates, &allAltitudesKnown);

    writer.startElement("Placemark");
    writer.textElement("name", route.routeName().value_or(std::string()));
    writer.textElement("styleUrl", "#routeStyle");
    writer.startElement("LineString");
    writer.textElement("tessellate", "1");
    // Altitudes are drawn as given only when every point has one.
    writer.textElement("altitudeMode", allAltitudesKnown ? "absolute" : "clampedToGround");
    writer.textElement("coordinates", lineCoordinates);
    writer.endElement();
    writer.endElement();
}

std::string KmlExport::styleText(std::string_view routeColour)
{
    return "<Style id=\"routeStyle\">\t<LineStyle>\t<color>" + std::string(routeColour)
        + "</color>\t<width>4</width>\t</LineStyle>\t</Style>";
}

void KmlExport::startDocument(XmlWriter& writer)
{
    writer.startElement("kml");
    writer.attribute("xmlns", kNamespace);
    writer.startElement("Document");
}

void KmlExport::writePlacemarks(
    XmlWriter& writer, const WaypointList& list, std::string* lineCoordinates, bool* allAltitudesKnown)
{
    for (const WaypointPtr& waypoint : list) {
        const std::optional<ExportPoint> point = ExportPoint::from(*waypoint);
        if (!point)
            continue;
        const std::string coordinates = point->longitude + ',' + point->latitude + ',' + point->altitude;
        writer.startElement("Placemark");
        writer.textElement("name", point->name);
        writer.textElement("description", point->comment);
        writer.startElement("Point");
        writer.textElement("coordinates", coordinates);
        writer.endElement();
        writer.endElement();
        if (lineCoordinates != nullptr)
            lineCoordinates->append(coordinates).push_back('\n');
        if (allAltitudesKnown != nullptr && !point->hasAltitude)
            *allAltitudesKnown = false;
    }
}

} // namespace navora
