#pragma once

#include "io/XmlRecordSink.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace navora {

// Collects from a KML file what the import reads, as the XPath 1.0 union
//   //Placemark[Point]/name | //Placemark[Point]/description
//     | //Placemark[Point]/Point/coordinates
// would select it: for every Placemark element with a Point child, its name
// and description children and the coordinates children of its Point
// children, merged in document order, each as its string value. Also the
// first //Document/name. Element names match by local name.
class KmlPlacemarkReader : public XmlRecordSink {
public:
    void reset() override;
    bool elementStarted(const xmlNode* element) override;
    void elementEnded(const xmlNode* element, std::string_view value) override;

    // The selected strings in document order (normally name, description,
    // coordinates for each placemark in turn), once the parse is over.
    const std::deque<std::string>& items();
    // The text of the first name child of a Document element.
    const std::optional<std::string>& documentName() const { return m_documentName; }

private:
    enum class Capture { None, PlacemarkItem, DocumentName };

    struct Item {
        uint64_t order;
        std::string text;
    };
    // A Placemark element still open: its items wait until it is known
    // whether it has a Point child.
    struct OpenPlacemark {
        const xmlNode* element;
        bool hasPoint = false;
        std::vector<Item> items;
    };

    uint64_t m_order = 0;
    Capture m_capture = Capture::None;
    uint64_t m_captureOrder = 0;
    std::vector<OpenPlacemark> m_open;
    // Deques: a file of many placemarks never moves the items already read.
    std::deque<std::string> m_items;
    std::deque<uint64_t> m_itemOrders;
    bool m_inOrder = true;
    std::optional<std::string> m_documentName;
};

} // namespace navora
