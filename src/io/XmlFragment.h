#pragma once

#include <libxml/tree.h>

#include <string>
#include <string_view>

namespace navora {

// A short XML text parsed into an element, for the parts of an export that
// are written as text first (the route style, the GPX metadata).
class XmlFragment {
public:
    // Parses text strictly; on failure root() is nullptr and error() says why.
    explicit XmlFragment(std::string_view text);
    ~XmlFragment();
    XmlFragment(const XmlFragment&) = delete;
    XmlFragment& operator=(const XmlFragment&) = delete;

    const xmlNode* root() const;
    const std::string& error() const { return m_error; }

private:
    xmlDocPtr m_document = nullptr;
    std::string m_error;
};

} // namespace navora
