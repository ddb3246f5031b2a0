#pragma once

#include "io/GpxPointReader.h"
#include "io/KmlPlacemarkReader.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace navora {

class ExchangeDocument;
class ExchangeDocumentHost;
class XmlRecordSink;

// The user's answer to the KML import question.
enum class ImportChoice { Route, Cancel, Waypoints };

// Reads waypoints out of KML and GPX files into documents. It keeps no state
// between calls: every operation works on the document it is given or makes
// through the host. The user-facing parts come in as callbacks: the open
// panel (which file, as a path) and the KML import question, so the readers
// run and are tested without a display.
class ImportController {
public:
    // Asks for one file with the given extension ("kml", "gpx"); nullopt
    // when the user cancels.
    using OpenPanel = std::function<std::optional<std::string>(std::string_view extension)>;
    // Asks kQuestionTitle / kQuestionMessage with the three buttons.
    using ImportQuestion = std::function<ImportChoice()>;

    static constexpr std::string_view kQuestionTitle = "Import waypoints or route?";
    static constexpr std::string_view kQuestionMessage
        = "KML files may contain unsorted waypoints, or a list of positions (such as driving directions) that should "
          "be kept in order as a route.  Do you wish to import your KML file as unordered Waypoints or as an ordered "
          "Route?";
    static constexpr std::string_view kRouteButton = "Route";
    static constexpr std::string_view kCancelButton = "cancel";
    static constexpr std::string_view kWaypointsButton = "Waypoints";

    // Tells the user why a chosen file could not be read (the reason names
    // the file).
    using FailureReport = std::function<void(const std::string& reason)>;

    ImportController(ExchangeDocumentHost& host, OpenPanel openPanel, ImportQuestion importQuestion = {},
        FailureReport failureReport = {});

    // Lets the user choose a file of the type and streams it into sink: a
    // strict parse, then the tolerant one; any parse error is logged, and a
    // file that gives no document is reported. False when no file was chosen
    // or neither parse gave a document.
    bool openXMLforType(std::string_view extension, XmlRecordSink& sink);

    // Appends the point placemarks of a KML file to document and refreshes
    // it; with asRoute, document must be a route document and its route is
    // renamed after the KML document (or "(imported)"). False when no file
    // was read (the document is then untouched).
    bool importKMLforDocument(ExchangeDocument& document, bool asRoute);
    // A new route or waypoint-list document, filled from a KML file, and a
    // route for each track line (LineString or gx:Track) as importGPX makes
    // one for a GPX track; a line whose every position is one of the file's
    // placemarks draws their route and is no track. A file of tracks alone
    // opens only their routes. False (and no document) when no file was read.
    bool importKMLasRoute(bool asRoute);
    // Asks whether the KML file is a route or waypoints, then imports it.
    void importKML();

    // Every route of a GPX file into a new route document, its free
    // waypoints into one new waypoint list. Unnamed route points are named
    // "RPT001", ... in their route's order; points without a usable
    // position are left out with a log line. Each track becomes a route
    // too, thinned by TrackSimplifier, its waypoints "TRK001", ... with the
    // point's time as comment; what it became is told (trackReport). False
    // when no file was read.
    bool importGPX();
    // Tells the user what a track became.
    void setTrackReport(std::function<void(const std::string& message)> trackReport)
    {
        m_trackReport = std::move(trackReport);
    }
    // Adds the free waypoints of a GPX file to document (asRoute is not
    // used: only free waypoints are taken) and refreshes it. False when no
    // file was read (the document is then untouched).
    bool importGPXforDocument(ExchangeDocument& document, bool asRoute);

    static void handleError(std::string_view description);

private:
    void fillFromKml(ExchangeDocument& document, KmlPlacemarkReader& reader, bool asRoute);
    // The placemarks that have a position, as waypoints.
    static void addPlacemarks(ExchangeDocument& document, const std::deque<KmlPlacemarkReader::Placemark>& placemarks);
    void importTrack(const GpxPointReader::RouteElement& track, size_t number);
    // The lines of a KML file that are tracks, as GPX tracks are read.
    static std::vector<GpxPointReader::RouteElement> kmlTracks(KmlPlacemarkReader& reader);

    ExchangeDocumentHost& m_host;
    OpenPanel m_openPanel;
    ImportQuestion m_importQuestion;
    FailureReport m_failureReport;
    std::function<void(const std::string& message)> m_trackReport;
};

} // namespace navora
