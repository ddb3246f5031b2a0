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
    // libxml2's SAX2 attributes: localname, prefix, URI, value, value end.
    const xmlChar** m_attributes = nullptr;
    int m_attributeCount = 0;
    xmlDoc* m_document = nullptr;
};

// Receives the elements of an XML file as XmlFileReader streams it. Only the
// open elements (the current one and its ancestors) exist at any time, so
// files of any length are read in little memory. An element that the sink
// captures has its string value gathered until its end, where the sink gets
// it; elements inside a captured one go into that value and are not
// reported on their own.
class XmlRecordSink {
public:
    virtual ~XmlRecordSink() = default;

    // A parse begins: anything collected by an earlier, failed parse goes.
    virtual void reset() = 0;
    // An element has begun: its attributes and ancestors are in place.
    // Returns true to capture it.
    virtual bool elementStarted(const XmlElement& element) = 0;
    // An element has ended; value is the string value of a captured element
    // (empty for any other).
    virtual void elementEnded(const XmlElement& element, std::string_view value) = 0;
};

} // namespace navora
