#include "io/GpxExport.h"

#include "io/ExchangeDocument.h"
#include "io/ExportPoint.h"
#include "io/XmlFragment.h"
#include "io/XmlWriter.h"

#include "model/DocumentTypes.h"
#include "model/NumberText.h"
#include "nav/UtcTime.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace navora {

std::string GpxExport::documents(const std::vector<ExchangeDocument*>& documents, const ErrorHandler& onError)
{
    XmlWriter writer;
    writeDocuments(writer, documents, onError);
    return writer.finish();
}

void GpxExport::writeDocuments(
    XmlWriter& writer, const std::vector<ExchangeDocument*>& documents, const ErrorHandler& onError)
{
    writer.startElement("gpx");
    writer.attribute("version", "1.1");
    writer.attribute("creator", creator());
    writer.attribute("xmlns", kNamespace);
    const XmlFragment metadata(metadataText());
    if (metadata.root() != nullptr)
        writer.copyElement(metadata.root());
    else if (onError)
        onError(metadata.error());

    // The schema wants every wpt before the first rte.
    for (const ExchangeDocument* document : documents) {
        if (document->typeName() != kWaypointsDocumentType.name)
            continue;
        for (const WaypointPtr& waypoint : document->waypointList())
            writePoint(writer, "wpt", *waypoint);
    }
    // A route open in two documents is written once.
    std::vector<const Route*> written;
    for (const ExchangeDocument* document : documents) {
        const RoutePtr route = document->route();
        if (document->typeName() != kRouteDocumentType.name || !route
            || std::find(written.begin(), written.end(), route.get()) != written.end())
            continue;
        written.push_back(route.get());
        writer.startElement("rte");
        writer.textElement("name", route->routeName().value_or(std::string()));
        for (const WaypointPtr& waypoint : route->routeWaypoints())
            writePoint(writer, "rtept", *waypoint);
        writer.endElement();
    }
}

std::string GpxExport::creator()
{
    return "Navora - " + std::string(kMakerSite);
}

std::string GpxExport::metadataText()
{
    return "<metadata>    <link href=\"" + std::string(kMakerSite) + "/navora/\"/>\t</metadata>";
}

void GpxExport::writeTrack(XmlWriter& writer, std::string_view name, const std::vector<TrackPoint>& points)
{
    writer.startElement("gpx");
    writer.attribute("version", "1.1");
    writer.attribute("creator", creator());
    writer.attribute("xmlns", kNamespace);
    writer.startElement("trk");
    writer.textElement("name", name);
    writer.startElement("trkseg");
    for (const TrackPoint& point : points) {
        writer.startElement("trkpt");
        writer.attribute("lat", NumberText::formatFixed(point.latitude, 7));
        writer.attribute("lon", NumberText::formatFixed(point.longitude, 7));
        writer.textElement("ele", NumberText::formatFixed(point.altitude, 1));
        writer.textElement("time",
            UtcTime::iso(
                std::chrono::sys_seconds(std::chrono::seconds(static_cast<long long>(std::floor(point.time))))));
        writer.endElement();
    }
    writer.endElement();
    writer.endElement();
    writer.endElement();
}

void GpxExport::writePoint(XmlWriter& writer, std::string_view element, const Waypoint& waypoint)
{
    const std::optional<ExportPoint> point = ExportPoint::from(waypoint);
    if (!point)
        return;
    writer.startElement(element);
    writer.attribute("lat", point->latitude);
    writer.attribute("lon", point->longitude);
    writer.textElement("ele", point->altitude);
    writer.textElement("name", point->name);
    writer.textElement("cmt", point->comment);
    writer.endElement();
}

} // namespace navora
