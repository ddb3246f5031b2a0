#include "io/XmlParsePass.h"

#include "io/XmlFileInput.h"
#include "io/XmlFileReader.h"
#include "io/XmlNodes.h"
#include "io/XmlRecordSink.h"
#include "io/XmlText.h"

#include <libxml/SAX2.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace navora {

namespace {

// Set while this thread parses an untrusted file.
thread_local int t_untrustedParses = 0;
xmlExternalEntityLoader g_defaultLoader = nullptr;

// libxml2's loader is process-wide. Ours refuses every external resource
// while one of our parses runs on the thread, and leaves other uses of the
// library as they were.
xmlParserInputPtr refusingLoader(const char* url, const char* id, xmlParserCtxtPtr context)
{
    if (t_untrustedParses > 0 || g_defaultLoader == nullptr)
        return nullptr;
    return g_defaultLoader(url, id, context);
}

void initialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        g_defaultLoader = xmlGetExternalEntityLoader();
        xmlSetExternalEntityLoader(refusingLoader);
    });
}

} // namespace

XmlParsePass::XmlParsePass(XmlRecordSink& sink, const std::string& name)
    : m_sink(sink)
    , m_name(name)
{
}

xmlDocPtr XmlParsePass::run(XmlFileInput& input, int options)
{
    initialiseLibrary();
    input.rewind();
    xmlSAXHandler sax = handler();
    m_context = xmlCreateIOParserCtxt(&sax, nullptr, XmlFileInput::read, nullptr, &input, XML_CHAR_ENCODING_NONE);
    if (m_context == nullptr) {
        m_refusal = m_name + ": cannot create an XML parser";
        return nullptr;
    }
    m_context->_private = this;
    xmlCtxtUseOptions(m_context, options);
    ++t_untrustedParses;
    xmlParseDocument(m_context);
    --t_untrustedParses;
    xmlDocPtr document = m_context->myDoc;
    m_context->myDoc = nullptr;
    m_wellFormed = m_context->wellFormed != 0;
    // A tolerant parse goes on after errors; only a limit, a refusal or an
    // allocation failure halts it early.
    if ((options & XML_PARSE_RECOVER) != 0 && m_context->disableSAX != 0 && m_refusal.empty())
        m_refusal = m_firstError.empty() ? m_name + ": parse stopped" : m_firstError;
    if (input.readError() != 0 && m_refusal.empty())
        m_refusal = m_name + ": " + std::strerror(input.readError());
    xmlFreeParserCtxt(m_context);
    m_context = nullptr;
    return document;
}

XmlParsePass* XmlParsePass::of(void* context)
{
    // Entity contents are parsed in a context of their own that shares our
    // handler: those calls only build the entity's nodes.
    auto* parser = static_cast<xmlParserCtxtPtr>(context);
    auto* pass = static_cast<XmlParsePass*>(parser->_private);
    return pass != nullptr && pass->m_context == parser ? pass : nullptr;
}

XmlParsePass* XmlParsePass::errorTarget(void* userData)
{
    auto* parser = static_cast<xmlParserCtxtPtr>(userData);
    return parser != nullptr ? static_cast<XmlParsePass*>(parser->_private) : nullptr;
}

xmlSAXHandler XmlParsePass::handler()
{
    xmlSAXHandler sax;
    xmlSAXVersion(&sax, 2);
    sax.startElementNs = startElement;
    sax.endElementNs = endElement;
    sax.characters = characters;
    sax.ignorableWhitespace = characters;
    sax.cdataBlock = cdataBlock;
    sax.reference = reference;
    sax.internalSubset = internalSubset;
    sax.externalSubset = nullptr;
    sax.entityDecl = entityDecl;
    sax.unparsedEntityDecl = unparsedEntityDecl;
    sax.resolveEntity = resolveEntity;
    // Comments and processing instructions are no part of any value read.
    sax.comment = nullptr;
    sax.processingInstruction = nullptr;
    sax.warning = nullptr;
    sax.error = nullptr;
    sax.fatalError = nullptr;
    sax.serror = structuredError;
    return sax;
}

void XmlParsePass::startElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri,
    int namespaceCount, const xmlChar** namespaces, int attributeCount, int defaultedCount, const xmlChar** attributes)
{
    auto* parser = static_cast<xmlParserCtxtPtr>(context);
    xmlNode* parent = parser->node;
    xmlSAX2StartElementNs(
        context, localName, prefix, uri, namespaceCount, namespaces, attributeCount, defaultedCount, attributes);
    XmlParsePass* pass = of(context);
    if (pass != nullptr && parser->node != nullptr && parser->node != parent)
        pass->elementStarted(parser->node);
}

void XmlParsePass::endElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri)
{
    auto* parser = static_cast<xmlParserCtxtPtr>(context);
    xmlNode* element = parser->node;
    xmlSAX2EndElementNs(context, localName, prefix, uri);
    XmlParsePass* pass = of(context);
    if (pass != nullptr && element != nullptr)
        pass->elementEnded(element);
}

void XmlParsePass::characters(void* context, const xmlChar* text, int length)
{
    XmlParsePass* pass = of(context);
    // Text outside captured elements is never read: it is not kept.
    if (pass != nullptr && (pass->m_capture == nullptr || !pass->acceptCapturedBytes(length)))
        return;
    xmlSAX2Characters(context, text, length);
}

void XmlParsePass::cdataBlock(void* context, const xmlChar* text, int length)
{
    XmlParsePass* pass = of(context);
    if (pass != nullptr
        && (pass->m_capture == nullptr || !pass->acceptCapturedNode() || !pass->acceptCapturedBytes(length)))
        return;
    xmlSAX2CDataBlock(context, text, length);
}

void XmlParsePass::reference(void* context, const xmlChar* name)
{
    XmlParsePass* pass = of(context);
    if (pass != nullptr && (pass->m_capture == nullptr || !pass->acceptCapturedNode()))
        return;
    xmlSAX2Reference(context, name);
}

void XmlParsePass::internalSubset(
    void* context, const xmlChar* name, const xmlChar* externalId, const xmlChar* systemId)
{
    // A document type that names an external definition ("gpx.dtd") is
    // common and harmless: the definition is never loaded, and the document
    // is read as if the reference were not there. Entities declared in the
    // internal subset are still checked one by one (entityDecl).
    (void)externalId;
    (void)systemId;
    xmlSAX2InternalSubset(context, name, nullptr, nullptr);
}

void XmlParsePass::entityDecl(
    void* context, const xmlChar* name, int type, const xmlChar* publicId, const xmlChar* systemId, xmlChar* content)
{
    XmlParsePass* pass = of(context);
    if (type != XML_INTERNAL_GENERAL_ENTITY && type != XML_INTERNAL_PARAMETER_ENTITY) {
        if (pass != nullptr)
            pass->refuse(pass->m_name + ": external entity " + reinterpret_cast<const char*>(name)
                + " declared; external entities are not loaded");
        return;
    }
    xmlSAX2EntityDecl(context, name, type, publicId, systemId, content);
}

void XmlParsePass::unparsedEntityDecl(
    void* context, const xmlChar* name, const xmlChar*, const xmlChar*, const xmlChar*)
{
    if (XmlParsePass* pass = of(context))
        pass->refuse(pass->m_name + ": external entity " + reinterpret_cast<const char*>(name)
            + " declared; external entities are not loaded");
}

xmlParserInputPtr XmlParsePass::resolveEntity(void*, const xmlChar*, const xmlChar*)
{
    return nullptr;
}

void XmlParsePass::structuredError(void* userData, xmlErrorPtr error)
{
    XmlParsePass* pass = errorTarget(userData);
    if (pass != nullptr && error != nullptr)
        pass->noteError(*error);
}

void XmlParsePass::elementStarted(xmlNode* element)
{
    if (m_capture != nullptr) {
        acceptCapturedNode();
        return;
    }
    m_open.push_back(element);
    if (m_sink.elementStarted(element)) {
        m_capture = element;
        m_capturedNodes = 0;
        m_capturedBytes = 0;
    }
}

void XmlParsePass::elementEnded(xmlNode* element)
{
    if (m_capture != nullptr && element != m_capture)
        return;
    if (m_open.empty() || m_open.back() != element)
        return;
    m_open.pop_back();
    if (element == m_capture) {
        m_capture = nullptr;
        const auto value = XmlNodes::stringValue(element, XmlFileReader::kMaxCapturedBytes);
        if (!value) {
            refuse(m_name + ": the text of element " + reinterpret_cast<const char*>(element->name) + " is too long");
            return;
        }
        if (XmlText::isUtf8(*value))
            m_sink.elementEnded(element, *value);
        else
            m_sink.elementEnded(element, XmlText::utf8FromMixed(*value));
    } else {
        m_sink.elementEnded(element, {});
    }
    // Done with: drop it, so that only the open elements stay in memory. The
    // root stays with the document.
    if (element->parent != nullptr && element->parent->type == XML_ELEMENT_NODE) {
        xmlUnlinkNode(element);
        xmlFreeNode(element);
    }
}

bool XmlParsePass::acceptCapturedNode()
{
    if (++m_capturedNodes <= XmlFileReader::kMaxCapturedNodes)
        return true;
    refuse(m_name + ": element " + reinterpret_cast<const char*>(m_capture->name) + " holds too many nodes");
    return false;
}

bool XmlParsePass::acceptCapturedBytes(int length)
{
    m_capturedBytes += static_cast<size_t>(std::max(length, 0));
    if (m_capturedBytes <= XmlFileReader::kMaxCapturedBytes)
        return true;
    refuse(m_name + ": the text of element " + reinterpret_cast<const char*>(m_capture->name) + " is too long");
    return false;
}

void XmlParsePass::refuse(std::string reason)
{
    if (m_refusal.empty())
        m_refusal = std::move(reason);
    if (m_context != nullptr)
        xmlStopParser(m_context);
}

void XmlParsePass::noteError(const xmlError& error)
{
    if (error.level < XML_ERR_ERROR)
        return;
    std::string message = error.message != nullptr ? error.message : "unknown error";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on
    // ":" + std::to_string(...).
    std::string description = m_name;
    if (error.line > 0)
        description.append(":").append(std::to_string(error.line));
    description.append(": ").append(message);
    // A limit of the parser was reached: the file is not used at all.
    const bool limit = error.code == XML_ERR_ENTITY_LOOP || error.code == XML_ERR_NO_MEMORY
        || error.code == XML_ERR_INTERNAL_ERROR || error.code == XML_ERR_USER_STOP;
    if (limit && m_refusal.empty())
        m_refusal = description;
    if (m_firstError.empty())
        m_firstError = std::move(description);
}

} // namespace navora
