#pragma once

#include "core/RouteColour.h"
#include "model/TrackPoint.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

class ExchangeDocument;
class ExchangeDocumentHost;
class NotificationCenter;
class NotificationObject;
class Settings;
class XmlWriter;

// Writes the document in front as KML and all open documents as one GPX
// file. It follows the "Route colour" setting for the line of a route: read
// at construction, then from every "TRVRouteColourChanged". The save panel
// comes in as a callback that gives the chosen path, so the writers run and
// are tested without a display.
class ExportController {
public:
    // Asks where to save a file with the extension ("kml", "gpx"), proposing
    // title as its name; nullopt when the user cancels.
    using SavePanel = std::function<std::optional<std::string>(std::string_view extension, std::string_view title)>;
    // An XML document to save, as the steps that write it: it is written
    // straight into the file, never held whole in memory.
    using XmlDocument = std::function<void(XmlWriter& writer)>;

    // Tells the user why a file could not be written (the target is then
    // untouched).
    using FailureReport = std::function<void(const std::string& reason)>;

    ExportController(ExchangeDocumentHost& host, const Settings& settings, NotificationCenter& center,
        SavePanel savePanel, FailureReport failureReport = {});
    ~ExportController();
    ExportController(const ExportController&) = delete;
    ExportController& operator=(const ExportController&) = delete;

    // The route colour in KML notation: aabbggrr, lower-case hexadecimal.
    std::string routeColour() const;
    void changeRouteColour(const RouteColour& colour);
    // The object is the colour well's state.
    void handleChangeRouteColour(const NotificationObject& object);

    // Exports the key document by its type; false when no waypoint list or
    // route is in front, or nothing was written.
    bool exportKML();
    bool exportKMLfromWPDoc(const ExchangeDocument& document);
    bool exportKMLfromRouteDoc(const ExchangeDocument& document);
    // Every open waypoint list and route into one GPX file.
    bool exportAllToGPX();
    // A recorded track as GPX, named name.
    bool exportTrack(const std::vector<TrackPoint>& points, const std::string& name);

    // Asks for the path and writes xml there atomically: the target is
    // either fully replaced or left as it was. False when cancelled or failed.
    bool saveXML(const XmlDocument& xml, std::string_view type, std::string_view title);

    static void handleError(std::string_view description);
    // aabbggrr of colour: each component, kept within 0..1, times 255 in
    // single precision, truncated.
    static std::string routeColourText(const RouteColour& colour);

private:
    ExchangeDocumentHost& m_host;
    NotificationCenter& m_center;
    SavePanel m_savePanel;
    FailureReport m_failureReport;
    mutable std::mutex m_routeColourMutex;
    std::string m_routeColour;
};

} // namespace navora
