#include "io/KmlPlacemarkReader.h"

#include <algorithm>
#include <numeric>
#include <sstream>

namespace navora {

void KmlPlacemarkReader::reset()
{
    m_order = 0;
    m_capture = nullptr;
    m_open.clear();
    m_placemarks.clear();
    m_orders.clear();
    m_inOrder = true;
    m_documentName.reset();
    m_lines.clear();
}

bool KmlPlacemarkReader::elementStarted(const XmlElement& element)
{
    // Placemarks are numbered as they begin: document order.
    if (element.is("Placemark")) {
        m_open.push_back({&element, m_order++, false, {}, {}, {}, {}});
        return false;
    }
    m_capture = captureTarget(element);
    return m_capture != nullptr;
}

// Where the value of element goes, if anywhere: the innermost open placemark
// is the parent of its name, description and Point children, and the
// grandparent of a Point's coordinates. Only the first of each counts.
std::optional<std::string>* KmlPlacemarkReader::captureTarget(const XmlElement& element)
{
    if (!m_open.empty()) {
        OpenPlacemark& placemark = m_open.back();
        // Lines anywhere inside (a MultiGeometry too), every one.
        if (element.is("coordinates") && element.parentIs("LineString"))
            return &placemark.lineStrings.emplace_back();
        if (element.is("coord") && element.parentIs("Track"))
            return &placemark.trackCoords.emplace_back();
        if (element.is("when") && element.parentIs("Track"))
            return &placemark.trackWhens.emplace_back();
        std::optional<std::string>* target = nullptr;
        if (element.parent() == placemark.element && element.is("name"))
            target = &placemark.fields.name;
        else if (element.parent() == placemark.element && element.is("description"))
            target = &placemark.fields.description;
        else if (element.is("coordinates") && element.parentIs("Point")
            && element.parent()->parent() == placemark.element)
            target = &placemark.fields.coordinates;
        if (target != nullptr)
            return target->has_value() ? nullptr : target;
    }
    if (!m_documentName && element.is("name") && element.parentIs("Document"))
        return &m_documentName;
    return nullptr;
}

void KmlPlacemarkReader::elementEnded(const XmlElement& element, std::string_view value)
{
    if (m_capture != nullptr) {
        *m_capture = std::string(value);
        m_capture = nullptr;
        return;
    }
    if (m_open.empty())
        return;
    if (element.is("Point") && element.parent() == m_open.back().element) {
        m_open.back().hasPoint = true;
        return;
    }
    if (&element != m_open.back().element)
        return;
    OpenPlacemark placemark = std::move(m_open.back());
    m_open.pop_back();
    takeLines(placemark);
    if (!placemark.hasPoint)
        return;
    // A placemark ends after the placemarks nested in it: its number puts it
    // back in place at the end.
    if (!m_orders.empty() && placemark.order < m_orders.back())
        m_inOrder = false;
    m_placemarks.push_back(std::move(placemark.fields));
    m_orders.push_back(placemark.order);
}

void KmlPlacemarkReader::takeLines(OpenPlacemark& placemark)
{
    for (const std::optional<std::string>& text : placemark.lineStrings) {
        Line& line = m_lines.emplace_back();
        line.name = placemark.fields.name;
        // Tuples apart by white space, their numbers by commas.
        std::istringstream tuples(text.value_or(""));
        for (std::string tuple; tuples >> tuple;)
            line.positions.push_back(std::move(tuple));
    }
    if (placemark.trackCoords.empty())
        return;
    Line& line = m_lines.emplace_back();
    line.name = placemark.fields.name;
    const bool timed = placemark.trackWhens.size() == placemark.trackCoords.size();
    for (size_t i = 0; i < placemark.trackCoords.size(); ++i) {
        // "lon lat alt" as "lon,lat,alt".
        std::istringstream numbers(placemark.trackCoords[i].value_or(""));
        std::string tuple;
        for (std::string number; numbers >> number;)
            tuple += (tuple.empty() ? "" : ",") + number;
        line.positions.push_back(std::move(tuple));
        line.times.push_back(timed ? placemark.trackWhens[i].value_or("") : std::string());
    }
}

const std::deque<KmlPlacemarkReader::Placemark>& KmlPlacemarkReader::placemarks()
{
    if (m_inOrder)
        return m_placemarks;
    std::vector<size_t> positions(m_placemarks.size());
    std::iota(positions.begin(), positions.end(), size_t{0});
    std::stable_sort(
        positions.begin(), positions.end(), [this](size_t a, size_t b) { return m_orders[a] < m_orders[b]; });
    std::deque<Placemark> sorted;
    std::deque<uint64_t> sortedOrders;
    for (const size_t position : positions) {
        sorted.push_back(std::move(m_placemarks[position]));
        sortedOrders.push_back(m_orders[position]);
    }
    m_placemarks = std::move(sorted);
    m_orders = std::move(sortedOrders);
    m_inOrder = true;
    return m_placemarks;
}

} // namespace navora
