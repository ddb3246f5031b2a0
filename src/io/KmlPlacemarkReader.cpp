#include "io/KmlPlacemarkReader.h"

#include "io/XmlNodes.h"

#include <algorithm>

namespace navora {

void KmlPlacemarkReader::reset()
{
    m_order = 0;
    m_capture = Capture::None;
    m_open.clear();
    m_items.clear();
    m_itemOrders.clear();
    m_inOrder = true;
    m_documentName.reset();
}

bool KmlPlacemarkReader::elementStarted(const xmlNode* element)
{
    // Elements are numbered as they begin: document order.
    ++m_order;
    const bool inOpenPlacemark = !m_open.empty();
    if (XmlNodes::isElement(element, "Placemark")) {
        m_open.push_back({element, false, {}});
        return false;
    }
    // The innermost open placemark is the parent of its name, description
    // and Point children, and the grandparent of a Point's coordinates.
    const bool placemarkChild = inOpenPlacemark && element->parent == m_open.back().element;
    const bool itemOfPlacemark
        = placemarkChild && (XmlNodes::isElement(element, "name") || XmlNodes::isElement(element, "description"));
    const bool coordinatesOfPoint = inOpenPlacemark && XmlNodes::isElement(element, "coordinates")
        && XmlNodes::parentIs(element, "Point") && element->parent->parent == m_open.back().element;
    if (itemOfPlacemark || coordinatesOfPoint) {
        m_capture = Capture::PlacemarkItem;
        m_captureOrder = m_order;
        return true;
    }
    if (!m_documentName && XmlNodes::isElement(element, "name") && XmlNodes::parentIs(element, "Document")) {
        m_capture = Capture::DocumentName;
        return true;
    }
    return false;
}

void KmlPlacemarkReader::elementEnded(const xmlNode* element, std::string_view value)
{
    const Capture capture = m_capture;
    m_capture = Capture::None;
    if (capture == Capture::PlacemarkItem && !m_open.empty()) {
        m_open.back().items.push_back({m_captureOrder, std::string(value)});
        return;
    }
    if (capture == Capture::DocumentName) {
        if (!m_documentName)
            m_documentName = std::string(value);
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
    for (Item& item : placemark.items) {
        // An outer placemark's items come after those of placemarks nested
        // in it; the order numbers put them back in place at the end.
        if (!m_itemOrders.empty() && item.order < m_itemOrders.back())
            m_inOrder = false;
        m_items.push_back(std::move(item.text));
        m_itemOrders.push_back(item.order);
    }
}

const std::deque<std::string>& KmlPlacemarkReader::items()
{
    if (m_inOrder)
        return m_items;
    std::vector<size_t> positions(m_items.size());
    for (size_t i = 0; i < positions.size(); ++i)
        positions[i] = i;
    std::stable_sort(
        positions.begin(), positions.end(), [this](size_t a, size_t b) { return m_itemOrders[a] < m_itemOrders[b]; });
    std::deque<std::string> sorted;
    std::deque<uint64_t> sortedOrders;
    for (const size_t position : positions) {
        sorted.push_back(std::move(m_items[position]));
        sortedOrders.push_back(m_itemOrders[position]);
    }
    m_items = std::move(sorted);
    m_itemOrders = std::move(sortedOrders);
    m_inOrder = true;
    return m_items;
}

} // namespace navora
