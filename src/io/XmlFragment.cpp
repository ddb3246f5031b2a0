#include "io/XmlFragment.h"

#include <libxml/parser.h>

#include <climits>

namespace navora {

namespace {

void noteError(void* userData, xmlErrorPtr error)
{
    auto* context = static_cast<xmlParserCtxtPtr>(userData);
    auto* message = context != nullptr ? static_cast<std::string*>(context->_private) : nullptr;
    if (message == nullptr || error == nullptr || error->level < XML_ERR_ERROR || !message->empty())
        return;
    *message = error->message != nullptr ? error->message : "unknown error";
    while (!message->empty() && message->back() == '\n')
        message->pop_back();
}

} // namespace

XmlFragment::XmlFragment(std::string_view text)
{
    xmlParserCtxtPtr context = xmlNewParserCtxt();
    if (context == nullptr || text.size() > INT_MAX) {
        m_error = "cannot parse the text";
        xmlFreeParserCtxt(context);
        return;
    }
    context->sax->serror = noteError;
    context->sax->error = nullptr;
    context->sax->warning = nullptr;
    context->sax->fatalError = nullptr;
    // The structured handler receives the context (its user data).
    context->_private = &m_error;
    m_document = xmlCtxtReadMemory(
        context, text.data(), static_cast<int>(text.size()), nullptr, "UTF-8", XML_PARSE_NONET | XML_PARSE_NOBLANKS);
    if (m_document == nullptr && m_error.empty())
        m_error = "not a well-formed XML text";
    xmlFreeParserCtxt(context);
}

XmlFragment::~XmlFragment()
{
    xmlFreeDoc(m_document);
}

const xmlNode* XmlFragment::root() const
{
    return m_document != nullptr ? xmlDocGetRootElement(m_document) : nullptr;
}

} // namespace navora
