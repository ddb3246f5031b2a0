#include "io/XmlElement.h"

#include "io/XmlNodes.h"

#include <algorithm>
#include <cstddef>

namespace navora {

namespace {

const char* text(const xmlChar* s)
{
    return reinterpret_cast<const char*>(s);
}

} // namespace

std::string_view XmlElement::writtenValue(const xmlChar* const* attribute)
{
    return {text(attribute[3]), static_cast<size_t>(std::max<ptrdiff_t>(attribute[4] - attribute[3], 0))};
}

std::optional<std::string> XmlElement::attribute(std::string_view localName, size_t maxBytes) const
{
    for (int i = 0; i < m_attributeCount; ++i) {
        const xmlChar* const* attribute = m_attributes + 5 * i;
        std::string_view name = text(attribute[0]);
        std::string qualified;
        // A prefix that no declaration binds stays in the name.
        if (attribute[1] != nullptr && attribute[2] == nullptr) {
            qualified.append(text(attribute[1])).append(":").append(name);
            name = qualified;
        }
        if (name != localName)
            continue;
        std::string value;
        if (!XmlNodes::appendAttribute(m_document, writtenValue(attribute), maxBytes, value))
            return std::nullopt;
        return value;
    }
    return std::nullopt;
}

} // namespace navora
