#pragma once

#include "model/TrackPoint.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

class ExchangeDocument;
class XmlWriter;
class Waypoint;

// The GPX 1.1 file of the export: metadata, then the waypoints of every
// waypoint-list document as "wpt", then every route document as "rte" with
// its points as "rtept", documents in the order given. Valid against the
// GPX 1.1 schema.
class GpxExport {
public:
    static constexpr std::string_view kNamespace = "http://www.topografix.com/GPX/1/1";
    // The maker's web site (scheme and host).
    static constexpr std::string_view kMakerSite = "https://navora.org";
    using ErrorHandler = std::function<void(std::string_view description)>;

    // Documents of other types are passed over. A metadata text that does not
    // parse is passed to onError and left out.
    static void writeDocuments(
        XmlWriter& writer, const std::vector<ExchangeDocument*>& documents, const ErrorHandler& onError);
    // The same, as the file's text.
    static std::string documents(const std::vector<ExchangeDocument*>& documents, const ErrorHandler& onError);

    // "Navora - " and the maker's site.
    static std::string creator();
    // The metadata as text, parsed and inserted by writeDocuments.
    static std::string metadataText();
    // A recorded track as one GPX 1.1 document with one trk of one trkseg.
    static void writeTrack(XmlWriter& writer, std::string_view name, const std::vector<TrackPoint>& points);

private:
    static void writePoint(XmlWriter& writer, std::string_view element, const Waypoint& waypoint);
};

} // namespace navora
