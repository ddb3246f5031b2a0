#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace navora {

// An open element of the file being read: its name, its parent and, while
// the sink's elementStarted runs, its attributes. Only the open elements
// exist, each at one address from its start to its end. Names are local
// names, whatever namespace an element is in, so KML and GPX files of any
// version, with or without a default namespace, read alike (a prefix that
// no declaration binds stays in the name, as "p:name").
class XmlElement {
public:
    std::string_view name() const { return m_name; }
    // The enclosing element; nullptr for the root.
    const XmlElement* parent() const { return m_parent; }

    bool is(std::string_view localName) const { return m_name == localName; }
    bool parentIs(std::string_view localName) const { return m_parent != nullptr && m_parent->is(localName); }

    // The string value of the first attribute with this local name (entity
    // references expanded), or nullopt when there is none or it would exceed
    // maxBytes. Only while elementStarted runs: afterwards it is nullopt.
    std::optional<std::string> attribute(std::string_view localName, size_t maxBytes) const;

private:
    friend class XmlParsePass;

    std::string_view m_name;
    const XmlElement* m_parent = nullptr;
    // The value of one of libxml2's SAX2 attributes (localname, prefix, URI,
    // value, value end) as the file wrote it.
    static std::string_view writtenValue(const xmlChar* const* attribute);

    // libxml2's SAX2 attributes, five pointers each.
    const xmlChar** m_attributes = nullptr;
    int m_attributeCount = 0;
    xmlDoc* m_document = nullptr;
};

} // namespace navora
