#include "io/ImportController.h"

#include "io/ExchangeDocument.h"
#include "io/ExchangeDocumentHost.h"
#include "io/GpxPointReader.h"
#include "io/KmlPlacemarkReader.h"
#include "io/XmlFileReader.h"

#include "core/Log.h"
#include "model/DocumentTypes.h"
#include "model/NumberText.h"

#include <vector>

namespace navora {

namespace {

// NSString's componentsSeparatedByString: "" gives one empty piece.
std::vector<std::string_view> splitAtCommas(std::string_view text)
{
    std::vector<std::string_view> pieces;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
}

WaypointPtr waypointFromGpx(const GpxPointReader::Point& point)
{
    return Waypoint::create(*point.name, point.comment.value_or(std::string()), *point.latitude, *point.longitude,
        point.elevation.value_or(0.0f));
}

} // namespace

ImportController::ImportController(ExchangeDocumentHost& host, OpenPanel openPanel, ImportQuestion importQuestion)
    : m_host(host)
    , m_openPanel(std::move(openPanel))
    , m_importQuestion(std::move(importQuestion))
{
}

bool ImportController::openXMLforType(std::string_view extension, XmlRecordSink& sink)
{
    const std::optional<std::string> path = m_openPanel ? m_openPanel(extension) : std::nullopt;
    if (!path)
        return false;
    if (path->empty()) {
        Log::format("Can't create an URL from file %s.", path->c_str());
        return false;
    }
    const XmlReadResult result = XmlFileReader::readFile(*path, sink);
    if (!result.error.empty())
        handleError(result.error);
    return result.document;
}

bool ImportController::importKMLforDocument(ExchangeDocument& document, bool asRoute)
{
    KmlPlacemarkReader reader;
    if (!openXMLforType("kml", reader))
        return false;
    addPlacemarks(document, reader.items());
    if (asRoute) {
        if (RoutePtr route = document.route())
            route->setRouteName(reader.documentName().value_or("(imported)"));
        else
            Log::line("KML route import into a document that holds no route - route name not set");
    }
    document.refresh();
    return true;
}

void ImportController::addPlacemarks(ExchangeDocument& document, const std::deque<std::string>& items)
{
    // Name, description and coordinates follow each other; a placemark
    // without a description gives only name and coordinates, recognised by
    // the comma that the third item lacks. Nothing is read past the end.
    Log::Batch batch;
    const size_t count = items.size();
    size_t i = 0;
    while (i < count) {
        Log::format("Parsing return row %zu: %s", i, items[i].c_str());
        const std::string& name = items[i];
        std::string_view description;
        std::vector<std::string_view> pieces;
        if (i + 2 < count) {
            description = items[i + 1];
            pieces = splitAtCommas(items[i + 2]);
        }
        size_t advance = 3;
        if (pieces.size() <= 1) {
            description = {};
            pieces = i + 1 < count ? splitAtCommas(items[i + 1]) : std::vector<std::string_view>{};
            advance = 2;
        }
        i += advance;
        if (pieces.size() < 2) {
            Log::format("placemark %s has no latitude and longitude - skipping...", name.c_str());
            continue;
        }
        const float longitude = NumberText::readFloat(pieces[0]);
        const float latitude = NumberText::readFloat(pieces[1]);
        const float altitude = pieces.size() > 2 ? NumberText::readFloat(pieces[2]) : 0.0f;
        document.addWP(Waypoint::create(name, std::string(description), latitude, longitude, altitude));
    }
}

void ImportController::importKMLasRoute(bool asRoute)
{
    ExchangeDocument* document
        = m_host.makeUntitledDocumentOfType(asRoute ? kRouteDocumentType.name : kWaypointsDocumentType.name);
    if (document != nullptr)
        importKMLforDocument(*document, asRoute);
}

void ImportController::importKML()
{
    const ImportChoice choice = m_importQuestion ? m_importQuestion() : ImportChoice::Cancel;
    switch (choice) {
    case ImportChoice::Route:
        importKMLasRoute(true);
        break;
    case ImportChoice::Waypoints:
        importKMLasRoute(false);
        break;
    case ImportChoice::Cancel:
        Log::line("import cancelled");
        break;
    }
}

bool ImportController::importGPX()
{
    GpxPointReader reader;
    if (!openXMLforType("gpx", reader))
        return false;

    Log::Batch batch;
    for (const GpxPointReader::RouteElement& routeElement : reader.routes()) {
        ExchangeDocument* document = m_host.makeUntitledDocumentOfType(kRouteDocumentType.name);
        if (document == nullptr)
            continue;
        RoutePtr route = document->route();
        if (routeElement.name && route)
            route->setRouteName(*routeElement.name);
        for (const GpxPointReader::Point& point : routeElement.points) {
            if (point.isComplete())
                document->addWP(waypointFromGpx(point));
            else
                Log::line("route point incomplete - skipping...");
        }
        document->refresh();
    }
    Log::format("%zu routes found.", reader.routes().size());

    const auto& waypoints = reader.waypoints();
    if (waypoints.empty()) {
        Log::line("no non-route waypoints found in file");
        return true;
    }
    ExchangeDocument* document = m_host.makeUntitledDocumentOfType(kWaypointsDocumentType.name);
    if (document == nullptr) {
        Log::line("unable to create new waypoint document");
        return true;
    }
    for (const GpxPointReader::Point& point : waypoints) {
        if (point.isComplete())
            document->addWP(waypointFromGpx(point));
        else
            Log::line("waypoint incomplete - skipping...");
    }
    document->refresh();
    Log::format("%zu waypoints imported.", waypoints.size());
    return true;
}

bool ImportController::importGPXforDocument(ExchangeDocument& document, bool)
{
    GpxPointReader reader;
    if (!openXMLforType("gpx", reader))
        return false;
    Log::Batch batch;
    for (const GpxPointReader::Point& point : reader.waypoints()) {
        if (point.isComplete())
            document.addWP(waypointFromGpx(point));
        else
            Log::line("waypoint incomplete - skipping...");
    }
    document.refresh();
    return true;
}

void ImportController::handleError(std::string_view description)
{
    Log::line("Error importing KML file: " + std::string(description));
}

} // namespace navora
