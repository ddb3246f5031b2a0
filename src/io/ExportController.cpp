#include "io/ExportController.h"

#include "io/ExchangeDocument.h"
#include "io/ExchangeDocumentHost.h"
#include "io/GpxExport.h"
#include "io/KmlExport.h"
#include "io/XmlWriter.h"

#include "core/Log.h"
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"
#include "model/DocumentTypes.h"

#include <cstdio>

namespace navora {

namespace {

int channel(double component)
{
    float value = static_cast<float>(component);
    if (!(value >= 0.0f))
        value = 0.0f;
    if (value > 1.0f)
        value = 1.0f;
    return static_cast<int>(value * 255.0f);
}

} // namespace

ExportController::ExportController(ExchangeDocumentHost& host, const Settings& settings, NotificationCenter& center,
    SavePanel savePanel, FailureReport failureReport)
    : m_host(host)
    , m_center(center)
    , m_savePanel(std::move(savePanel))
    , m_failureReport(std::move(failureReport))
{
    changeRouteColour(settings.colourForKey(TRVRouteColourKey));
    m_center.addObserver(
        this, TRVRouteColourChanged, [this](const NotificationObject& object) { handleChangeRouteColour(object); });
}

ExportController::~ExportController()
{
    m_center.removeObserver(this);
}

std::string ExportController::routeColour() const
{
    std::lock_guard lock(m_routeColourMutex);
    return m_routeColour;
}

void ExportController::changeRouteColour(const RouteColour& colour)
{
    std::string text = routeColourText(colour);
    std::lock_guard lock(m_routeColourMutex);
    m_routeColour = std::move(text);
}

void ExportController::handleChangeRouteColour(const NotificationObject& object)
{
    const std::optional<ControlState> well = object.controlState();
    if (!well) {
        Log::line("Route colour change without a colour - route colour kept");
        return;
    }
    changeRouteColour(well->colour);
}

bool ExportController::exportKML()
{
    const ExchangeDocument* document = m_host.keyDocument();
    if (document == nullptr)
        return false;
    if (document->typeName() == kWaypointsDocumentType.name)
        return exportKMLfromWPDoc(*document);
    if (document->typeName() == kRouteDocumentType.name)
        return exportKMLfromRouteDoc(*document);
    return false;
}

bool ExportController::exportKMLfromWPDoc(const ExchangeDocument& document)
{
    Log::line("Exporting waypoints...");
    const WaypointList& list = document.waypointList();
    return saveXML(
        [&list](XmlWriter& writer) { KmlExport::writeWaypointList(writer, list); }, "kml", document.displayName());
}

bool ExportController::exportKMLfromRouteDoc(const ExchangeDocument& document)
{
    const RoutePtr route = document.route();
    if (!route) {
        Log::line("Exporting route: the document holds no route");
        return false;
    }
    Log::line("Exporting route " + route->description() + "...");
    const std::string colour = routeColour();
    return saveXML([&](XmlWriter& writer) { KmlExport::writeRoute(writer, *route, colour, handleError); }, "kml",
        route->routeName().value_or(std::string()));
}

bool ExportController::exportAllToGPX()
{
    Log::line("Exporting all open documents to one GPX file");
    const std::vector<ExchangeDocument*> documents = m_host.documents();
    // The file is named after the document in front, else the first one.
    const ExchangeDocument* named = m_host.keyDocument();
    if (named == nullptr && !documents.empty())
        named = documents.front();
    return saveXML([&documents](XmlWriter& writer) { GpxExport::writeDocuments(writer, documents, handleError); },
        "gpx", named != nullptr ? named->displayName() : "Navora");
}

bool ExportController::exportTrack(const std::vector<TrackPoint>& points, const std::string& name)
{
    Log::format("Exporting the track %s, %zu points", name.c_str(), points.size());
    return saveXML([&](XmlWriter& writer) { GpxExport::writeTrack(writer, name, points); }, "gpx", name);
}

bool ExportController::saveXML(const XmlDocument& xml, std::string_view type, std::string_view title)
{
    const std::optional<std::string> path = m_savePanel ? m_savePanel(type, title) : std::nullopt;
    if (!path)
        return false;
    std::string error;
    const bool written = XmlWriter::saveFile(*path, xml, error);
    if (!written) {
        // The target stays as it was.
        Log::line("error writing to file " + *path);
        Log::line(error);
        if (m_failureReport)
            m_failureReport(error);
    }
    return written;
}

void ExportController::handleError(std::string_view description)
{
    Log::line("Error importing KML file: " + std::string(description));
}

std::string ExportController::routeColourText(const RouteColour& colour)
{
    char text[9];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x", channel(colour.alpha), channel(colour.blue),
        channel(colour.green), channel(colour.red));
    return text;
}

} // namespace navora
