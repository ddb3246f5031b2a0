#include "io/XmlNodes.h"

#include <libxml/entities.h>

#include <cstring>

namespace navora {

namespace {

// Entities nest; libxml2 refuses loops while parsing, this bounds the rest.
constexpr int kMaxEntityDepth = 40;

const char* text(const xmlChar* s)
{
    return reinterpret_cast<const char*>(s);
}

bool appendNode(const xmlNode* node, int entityDepth, size_t maxBytes, std::string& value);

// Appends the string values of the nodes from first on, in order.
bool appendList(const xmlNode* first, int entityDepth, size_t maxBytes, std::string& value)
{
    for (const xmlNode* node = first; node != nullptr; node = node->next) {
        if (!appendNode(node, entityDepth, maxBytes, value))
            return false;
    }
    return true;
}

bool appendText(const xmlChar* content, size_t maxBytes, std::string& value)
{
    if (content == nullptr)
        return true;
    const size_t length = std::strlen(text(content));
    if (length > maxBytes - value.size())
        return false;
    value.append(text(content), length);
    return true;
}

// A reference stands for the nodes parsed from its entity's text.
bool appendNamedEntity(
    const xmlDoc* document, const xmlChar* name, int entityDepth, size_t maxBytes, std::string& value)
{
    if (entityDepth >= kMaxEntityDepth || document == nullptr)
        return false;
    const xmlEntity* entity = xmlGetDocEntity(document, name);
    if (entity == nullptr)
        return true;
    return appendList(entity->children, entityDepth + 1, maxBytes, value);
}

bool appendNode(const xmlNode* node, int entityDepth, size_t maxBytes, std::string& value)
{
    switch (node->type) {
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
        return appendText(node->content, maxBytes, value);
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
        return appendList(node->children, entityDepth, maxBytes, value);
    case XML_ENTITY_REF_NODE:
        return appendNamedEntity(node->doc, node->name, entityDepth, maxBytes, value);
    default:
        // Comments and processing instructions have no part in it.
        return true;
    }
}

// The nodes of an attribute value that kept its references, as libxml2's
// tree builder makes them.
xmlNode* attributeNodes(xmlDoc* document, std::string_view written)
{
    return xmlStringLenGetNodeList(
        document, reinterpret_cast<const xmlChar*>(written.data()), static_cast<int>(written.size()));
}

} // namespace

bool XmlNodes::appendEntity(const xmlDoc* document, const xmlChar* name, size_t maxBytes, std::string& value)
{
    return appendNamedEntity(document, name, 0, maxBytes, value);
}

bool XmlNodes::appendAttribute(xmlDoc* document, std::string_view written, size_t maxBytes, std::string& value)
{
    // Without a reference the value is its own text.
    if (written.find('&') == std::string_view::npos) {
        if (written.size() > maxBytes - value.size())
            return false;
        value.append(written);
        return true;
    }
    xmlNode* nodes = attributeNodes(document, written);
    const bool appended = appendList(nodes, 0, maxBytes, value);
    xmlFreeNodeList(nodes);
    return appended;
}

void XmlNodes::noteAttribute(xmlDoc* document, std::string_view written)
{
    if (written.find('&') != std::string_view::npos)
        xmlFreeNodeList(attributeNodes(document, written));
}

} // namespace navora
