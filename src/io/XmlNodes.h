#pragma once

#include <libxml/tree.h>

#include <optional>
#include <string>

namespace navora {

// Small questions asked of libxml2 nodes. Names are compared by local name,
// whatever namespace an element is in, so KML and GPX files of any version,
// with or without a default namespace, read alike.
class XmlNodes {
public:
    // Whether node is an element with this local name.
    static bool isElement(const xmlNode* node, const char* localName);
    // Whether node's parent is an element with this local name.
    static bool parentIs(const xmlNode* node, const char* localName);

    // The XPath string value of node (its text, CDATA and entity contents in
    // document order), or nullopt when it would exceed maxBytes.
    static std::optional<std::string> stringValue(const xmlNode* node, size_t maxBytes);
    // The value of element's first attribute with this local name.
    static std::optional<std::string> attribute(const xmlNode* element, const char* localName, size_t maxBytes);
};

} // namespace navora
