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

// A reference to an entity stands for the nodes parsed from its text.
bool appendEntity(const xmlNode* reference, int entityDepth, size_t maxBytes, std::string& value)
{
    if (entityDepth >= kMaxEntityDepth || reference->doc == nullptr)
        return false;
    const xmlEntity* entity = xmlGetDocEntity(reference->doc, reference->name);
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
        return appendEntity(node, entityDepth, maxBytes, value);
    default:
        // Comments and processing instructions have no part in it.
        return true;
    }
}

} // namespace

bool XmlNodes::isElement(const xmlNode* node, const char* localName)
{
    return node != nullptr && node->type == XML_ELEMENT_NODE && node->name != nullptr
        && std::strcmp(text(node->name), localName) == 0;
}

bool XmlNodes::parentIs(const xmlNode* node, const char* localName)
{
    return node != nullptr && isElement(node->parent, localName);
}

std::optional<std::string> XmlNodes::stringValue(const xmlNode* node, size_t maxBytes)
{
    std::string value;
    if (!appendNode(node, 0, maxBytes, value))
        return std::nullopt;
    return value;
}

std::optional<std::string> XmlNodes::attribute(const xmlNode* element, const char* localName, size_t maxBytes)
{
    for (const xmlAttr* attribute = element->properties; attribute != nullptr; attribute = attribute->next) {
        if (attribute->name != nullptr && std::strcmp(text(attribute->name), localName) == 0)
            return stringValue(reinterpret_cast<const xmlNode*>(attribute), maxBytes);
    }
    return std::nullopt;
}

} // namespace navora
