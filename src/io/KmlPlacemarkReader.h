#pragma once

#include "io/XmlRecordSink.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace navora {

// Collects the point placemarks of a KML file: every Placemark element with a
// Point child, in document order, each with the string values of its own
// first name and description children and of its Point's first coordinates
// child. Name, description and coordinates are optional in KML, so each
// placemark keeps its own: one that lacks a field never lends or borrows one.
// Also the lines of the placemarks, the tracks they may be: each LineString
// and each gx:Track, with the placemark's name. And the first
// //Document/name. Element names match by local name.
class KmlPlacemarkReader : public XmlRecordSink {
public:
    struct Placemark {
        std::optional<std::string> name;
        std::optional<std::string> description;
        std::optional<std::string> coordinates;
    };
    // A line: its positions as "lon,lat[,alt]" (a gx:Track's "lon lat alt"
    // is given so too), and for a gx:Track the time of each ("" unknown).
    struct Line {
        std::optional<std::string> name;
        std::vector<std::string> positions;
        std::vector<std::string> times;
    };

    void reset() override;
    bool elementStarted(const XmlElement& element) override;
    void elementEnded(const XmlElement& element, std::string_view value) override;

    // The point placemarks in document order, once the parse is over.
    const std::deque<Placemark>& placemarks();
    // The lines in the order their placemarks end.
    const std::vector<Line>& lines() const { return m_lines; }
    // The text of the first name child of a Document element.
    const std::optional<std::string>& documentName() const { return m_documentName; }

private:
    // A Placemark element still open: it counts once it is known to have a
    // Point child. Its number is its place in document order.
    struct OpenPlacemark {
        const XmlElement* element;
        uint64_t order;
        bool hasPoint = false;
        Placemark fields;
        // Deques: the text being captured never moves.
        std::deque<std::optional<std::string>> lineStrings;
        std::deque<std::optional<std::string>> trackCoords;
        std::deque<std::optional<std::string>> trackWhens;
    };

    std::optional<std::string>* captureTarget(const XmlElement& element);
    void takeLines(OpenPlacemark& placemark);

    uint64_t m_order = 0;
    std::optional<std::string>* m_capture = nullptr;
    std::vector<OpenPlacemark> m_open;
    // Deques: a file of many placemarks never moves those already read.
    std::deque<Placemark> m_placemarks;
    std::deque<uint64_t> m_orders;
    bool m_inOrder = true;
    std::optional<std::string> m_documentName;
    std::vector<Line> m_lines;
};

} // namespace navora
