#include "io/KmlPlacemarkReader.h"

#include "io/XmlNodes.h"

#include <algorithm>
#include <numeric>

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
}

bool KmlPlacemarkReader::elementStarted(const xmlNode* element)
{
    // Placemarks are numbered as they begin: document order.
    if (XmlNodes::isElement(element, "Placemark")) {
        m_open.push_back({element, m_order++, false, {}});
        return false;
    }
    m_capture = captureTarget(element);
    return m_capture != nullptr;
}

// Where the value of element goes, if anywhere: the innermost open placemark
// is the parent of its name, description and Point children, and the
// grandparent of a Point's coordinates. Only the first of each counts.
std::optional<std::string>* KmlPlacemarkReader::captureTarget(const xmlNode* element)
{
    if (!m_open.empty()) {
        OpenPlacemark& placemark = m_open.back();
        std::optional<std::string>* target = nullptr;
        if (element->parent == placemark.element && XmlNodes::isElement(element, "name"))
            target = &placemark.fields.name;
        else if (element->parent == placemark.element && XmlNodes::isElement(element, "description"))
            target = &placemark.fields.description;
        else if (XmlNodes::isElement(element, "coordinates") && XmlNodes::parentIs(element, "Point")
            && element->parent->parent == placemark.element)
            target = &placemark.fields.coordinates;
        if (target != nullptr)
            return target->has_value() ? nullptr : target;
    }
    if (!m_documentName && XmlNodes::isElement(element, "name") && XmlNodes::parentIs(element, "Document"))
        return &m_documentName;
    return nullptr;
}

void KmlPlacemarkReader::elementEnded(const xmlNode* element, std::string_view value)
{
    if (m_capture != nullptr) {
        *m_capture = std::string(value);
        m_capture = nullptr;
        return;
    }
    if (m_open.empty())
        return;
    if (XmlNodes::isElement(element, "Point") && element->parent == m_open.back().element) {
        m_open.back().hasPoint = true;
        return;
    }
    if (element != m_open.back().element)
        return;
    OpenPlacemark placemark = std::move(m_open.back());
    m_open.pop_back();
    if (!placemark.hasPoint)
        return;
    // A placemark ends after the placemarks nested in it: its number puts it
    // back in place at the end.
    if (!m_orders.empty() && placemark.order < m_orders.back())
        m_inOrder = false;
    m_placemarks.push_back(std::move(placemark.fields));
    m_orders.push_back(placemark.order);
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
