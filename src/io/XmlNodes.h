#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace navora {

// String values of what libxml2 keeps of a document while it is streamed:
// its entities and the attribute values its SAX2 parser hands over. Each
// appends to value and fails (having appended what fitted) when value would exceed
// maxBytes or entities nest too deep.
class XmlNodes {
public:
    // The entity called name: the string value of the nodes parsed from its
    // text (text, CDATA and the entities it refers to, in order); nothing
    // for an entity the document does not declare.
    static bool appendEntity(const xmlDoc* document, const xmlChar* name, size_t maxBytes, std::string& value);
    // An attribute value as the parser passed it: with entity references
    // kept (the value holds "&"), they are expanded as the document's tree
    // would hold them.
    static bool appendAttribute(xmlDoc* document, std::string_view written, size_t maxBytes, std::string& value);
    // What building the attribute's nodes does to the document: an entity
    // first referred to in an attribute value gets its nodes there.
    static void noteAttribute(xmlDoc* document, std::string_view written);
};

} // namespace navora
