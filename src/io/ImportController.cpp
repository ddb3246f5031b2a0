#include "io/ImportController.h"

#include "io/ExchangeDocument.h"
#include "io/ExchangeDocumentHost.h"
#include "io/GpxFreeWaypoints.h"
#include "io/GpxPointReader.h"
#include "io/KmlPlacemarkReader.h"
#include "io/XmlFileReader.h"

#include "core/Log.h"
#include "model/DocumentTypes.h"
#include "model/NumberText.h"
#include "model/TrackSimplifier.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>
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

// A numbered name for a point that has none, as other GPX tools give it:
// "RPT001" for the first route point, "WPT001" for the first waypoint.
std::string madeUpName(const char* prefix, size_t number)
{
    char name[32];
    std::snprintf(name, sizeof name, "%s%03zu", prefix, number);
    return name;
}

// The waypoint of a GPX point, or none (with a log line) when the point has
// no position that a place on Earth can have.
WaypointPtr waypointFromGpx(const GpxPointReader::Point& point, const std::string& name)
{
    if (!point.hasPosition()) {
        Log::format("waypoint %s has no usable position (lat \"%s\", lon \"%s\") - skipping...", name.c_str(),
            point.latitudeText.c_str(), point.longitudeText.c_str());
        return nullptr;
    }
    return Waypoint::create(
        name, point.comment.value_or(std::string()), *point.latitude, *point.longitude, point.elevation.value_or(0.0f));
}

// Reads "lon,lat[,alt]"; none unless longitude and latitude are numbers of
// a real place.
std::optional<std::array<float, 3>> readKmlCoordinates(std::string_view text)
{
    const std::vector<std::string_view> pieces = splitAtCommas(text);
    if (pieces.size() < 2)
        return std::nullopt;
    const std::optional<double> longitude = NumberText::readExactly(pieces[0]);
    const std::optional<double> latitude = NumberText::readExactly(pieces[1]);
    if (!longitude || !latitude || !Waypoint::validLongitude(*longitude) || !Waypoint::validLatitude(*latitude))
        return std::nullopt;
    const std::optional<double> altitude = pieces.size() > 2 ? NumberText::readExactly(pieces[2]) : std::nullopt;
    return std::array<float, 3>{
        static_cast<float>(*longitude), static_cast<float>(*latitude), static_cast<float>(altitude.value_or(0.0))};
}

} // namespace

ImportController::ImportController(
    ExchangeDocumentHost& host, OpenPanel openPanel, ImportQuestion importQuestion, FailureReport failureReport)
    : m_host(host)
    , m_openPanel(std::move(openPanel))
    , m_importQuestion(std::move(importQuestion))
    , m_failureReport(std::move(failureReport))
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
    if (!result.document && m_failureReport)
        m_failureReport(result.error);
    return result.document;
}

bool ImportController::importKMLforDocument(ExchangeDocument& document, bool asRoute)
{
    KmlPlacemarkReader reader;
    if (!openXMLforType("kml", reader))
        return false;
    fillFromKml(document, reader, asRoute);
    return true;
}

void ImportController::fillFromKml(ExchangeDocument& document, KmlPlacemarkReader& reader, bool asRoute)
{
    addPlacemarks(document, reader.placemarks());
    if (asRoute) {
        if (RoutePtr route = document.route())
            route->setRouteName(reader.documentName().value_or("(imported)"));
        else
            Log::line("KML route import into a document that holds no route - route name not set");
    }
    document.refresh();
}

void ImportController::addPlacemarks(
    ExchangeDocument& document, const std::deque<KmlPlacemarkReader::Placemark>& placemarks)
{
    // Each placemark brings its own name, description and coordinates; one
    // without a name is called after its place in the file.
    Log::Batch batch;
    for (size_t i = 0; i < placemarks.size(); ++i) {
        const KmlPlacemarkReader::Placemark& placemark = placemarks[i];
        const std::string name = placemark.name.value_or("Placemark " + std::to_string(i + 1));
        Log::format("Parsing return row %zu: %s", i, name.c_str());
        const auto coordinates = readKmlCoordinates(placemark.coordinates.value_or(""));
        if (!coordinates) {
            Log::format("placemark %s has no latitude and longitude - skipping...", name.c_str());
            continue;
        }
        const auto [longitude, latitude, altitude] = *coordinates;
        document.addWP(Waypoint::create(name, placemark.description.value_or(""), latitude, longitude, altitude));
    }
}

bool ImportController::importKMLasRoute(bool asRoute)
{
    // The file first: a cancelled or unreadable import leaves no empty
    // document behind.
    KmlPlacemarkReader reader;
    if (!openXMLforType("kml", reader))
        return false;
    const std::vector<GpxPointReader::RouteElement> tracks = kmlTracks(reader);
    // A file of tracks alone opens only their routes.
    if (!reader.placemarks().empty() || tracks.empty()) {
        ExchangeDocument* document
            = m_host.makeUntitledDocumentOfType(asRoute ? kRouteDocumentType.name : kWaypointsDocumentType.name);
        if (document == nullptr)
            return false;
        fillFromKml(*document, reader, asRoute);
    }
    for (size_t i = 0; i < tracks.size(); ++i)
        importTrack(tracks[i], i + 1);
    return true;
}

std::vector<GpxPointReader::RouteElement> ImportController::kmlTracks(KmlPlacemarkReader& reader)
{
    // A line through the file's own placemarks draws their route (as
    // Navora's KML export does); it is no track.
    std::set<std::pair<float, float>> placemarkPositions;
    for (const KmlPlacemarkReader::Placemark& placemark : reader.placemarks()) {
        if (const auto coordinates = readKmlCoordinates(placemark.coordinates.value_or("")))
            placemarkPositions.emplace((*coordinates)[0], (*coordinates)[1]);
    }
    std::vector<GpxPointReader::RouteElement> tracks;
    // Programs write a track twice, as a gx:Track and as a LineString.
    std::set<std::vector<std::pair<float, float>>> tracksTaken;
    for (const KmlPlacemarkReader::Line& line : reader.lines()) {
        GpxPointReader::RouteElement track{line.name, {}};
        std::vector<std::pair<float, float>> positions;
        for (size_t i = 0; i < line.positions.size(); ++i) {
            GpxPointReader::Point& point = track.points.emplace_back();
            if (const auto coordinates = readKmlCoordinates(line.positions[i])) {
                point.longitude = (*coordinates)[0];
                point.latitude = (*coordinates)[1];
                point.elevation = (*coordinates)[2];
                positions.emplace_back((*coordinates)[0], (*coordinates)[1]);
            }
            if (i < line.times.size() && !line.times[i].empty())
                point.time = line.times[i];
        }
        const std::string name = line.name.value_or("(unnamed)");
        const bool drawsPlacemarks = !positions.empty()
            && std::all_of(positions.begin(), positions.end(),
                [&](const auto& position) { return placemarkPositions.count(position) > 0; });
        if (drawsPlacemarks)
            Log::format("Line %s joins the file's placemarks - not a track", name.c_str());
        else if (!tracksTaken.insert(positions).second)
            Log::format("Line %s repeats a track - skipping...", name.c_str());
        else
            tracks.push_back(std::move(track));
    }
    return tracks;
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
    GpxFreeWaypoints freeWaypoints;
    reader.takeWaypointsWith(
        [&freeWaypoints](GpxPointReader::Point&& point, size_t index) { freeWaypoints.take(std::move(point), index); });
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
        for (size_t i = 0; i < routeElement.points.size(); ++i) {
            const GpxPointReader::Point& point = routeElement.points[i];
            if (WaypointPtr waypoint = waypointFromGpx(point, point.name.value_or(madeUpName("RPT", i + 1))))
                document->addWP(std::move(waypoint));
        }
        document->refresh();
    }
    Log::format("%zu routes found.", reader.routes().size());
    for (size_t i = 0; i < reader.tracks().size(); ++i)
        importTrack(reader.tracks()[i], i + 1);

    if (freeWaypoints.empty()) {
        Log::line("no non-route waypoints found in file");
        return true;
    }
    ExchangeDocument* document = m_host.makeUntitledDocumentOfType(kWaypointsDocumentType.name);
    if (document == nullptr) {
        Log::line("unable to create new waypoint document");
        return true;
    }
    const size_t imported = freeWaypoints.addTo(*document);
    document->refresh();
    Log::format("%zu waypoints imported.", imported);
    return true;
}

void ImportController::importTrack(const GpxPointReader::RouteElement& track, size_t number)
{
    const std::string name = track.name.value_or("Track " + std::to_string(number));
    std::vector<const GpxPointReader::Point*> usable;
    usable.reserve(track.points.size());
    for (const GpxPointReader::Point& point : track.points) {
        if (point.hasPosition())
            usable.push_back(&point);
    }
    if (usable.size() < track.points.size())
        Log::format("Track %s: %zu points without a usable position left out", name.c_str(),
            track.points.size() - usable.size());
    // A route needs two places to go between.
    if (usable.size() < 2) {
        Log::format("Track %s has fewer than two points with a position - skipping...", name.c_str());
        return;
    }
    std::vector<TrackSimplifier::Position> positions;
    positions.reserve(usable.size());
    for (const GpxPointReader::Point* point : usable)
        positions.push_back({*point->latitude, *point->longitude});
    const TrackSimplifier::Result thinned = TrackSimplifier::simplify(positions);

    ExchangeDocument* document = m_host.makeUntitledDocumentOfType(kRouteDocumentType.name);
    if (document == nullptr)
        return;
    if (RoutePtr route = document->route())
        route->setRouteName(name);
    for (size_t i = 0; i < thinned.kept.size(); ++i) {
        const GpxPointReader::Point& point = *usable[thinned.kept[i]];
        document->addWP(Waypoint::create(madeUpName("TRK", i + 1), point.time.value_or(std::string()), *point.latitude,
            *point.longitude, point.elevation.value_or(0.0f)));
    }
    document->refresh();
    char message[256];
    std::snprintf(message, sizeof message, "Track \"%s\": %zu points became %zu waypoints (tolerance %g nm)",
        name.c_str(), usable.size(), thinned.kept.size(), thinned.toleranceNm);
    Log::line(message);
    if (m_trackReport)
        m_trackReport(message);
}

bool ImportController::importGPXforDocument(ExchangeDocument& document, bool)
{
    GpxPointReader reader;
    GpxFreeWaypoints freeWaypoints;
    reader.takeWaypointsWith(
        [&freeWaypoints](GpxPointReader::Point&& point, size_t index) { freeWaypoints.take(std::move(point), index); });
    if (!openXMLforType("gpx", reader))
        return false;
    Log::Batch batch;
    freeWaypoints.addTo(document);
    document.refresh();
    return true;
}

void ImportController::handleError(std::string_view description)
{
    Log::line("Error importing KML file: " + std::string(description));
}

} // namespace navora
