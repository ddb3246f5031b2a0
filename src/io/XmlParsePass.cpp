#include "io/XmlParsePass.h"

#include "io/XmlFileInput.h"
#include "io/XmlFileReader.h"
#include "io/XmlNodes.h"
#include "io/XmlText.h"

#include <libxml/SAX2.h>
#include <libxml/dict.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/valid.h>

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

const char* text(const xmlChar* s)
{
    return reinterpret_cast<const char*>(s);
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
    // handler: those calls build the entity's nodes, as libxml2 keeps them
    // with the document.
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
    XmlParsePass* pass = of(context);
    if (pass == nullptr) {
        xmlSAX2StartElementNs(
            context, localName, prefix, uri, namespaceCount, namespaces, attributeCount, defaultedCount, attributes);
        return;
    }
    // Attributes defaulted by the document type count only when asked for
    // (XML_PARSE_DTDATTR, which is never set).
    if (defaultedCount != 0 && (pass->m_context->loadsubset & XML_COMPLETE_ATTRS) == 0)
        attributeCount -= defaultedCount;
    pass->elementStarted(localName, prefix, uri, attributeCount, attributes);
}

void XmlParsePass::endElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri)
{
    XmlParsePass* pass = of(context);
    if (pass == nullptr) {
        xmlSAX2EndElementNs(context, localName, prefix, uri);
        return;
    }
    pass->elementEnded();
}

void XmlParsePass::characters(void* context, const xmlChar* text, int length)
{
    XmlParsePass* pass = of(context);
    if (pass == nullptr) {
        xmlSAX2Characters(context, text, length);
        return;
    }
    // Text outside captured elements is never read: it is not kept.
    if (pass->m_capture != nullptr && pass->acceptCapturedBytes(length))
        pass->captureText(text, length, false);
}

void XmlParsePass::cdataBlock(void* context, const xmlChar* text, int length)
{
    XmlParsePass* pass = of(context);
    if (pass == nullptr) {
        xmlSAX2CDataBlock(context, text, length);
        return;
    }
    if (pass->m_capture != nullptr && pass->acceptCapturedNode() && pass->acceptCapturedBytes(length))
        pass->captureText(text, length, true);
}

void XmlParsePass::reference(void* context, const xmlChar* name)
{
    XmlParsePass* pass = of(context);
    if (pass == nullptr) {
        xmlSAX2Reference(context, name);
        return;
    }
    if (pass->m_capture != nullptr && pass->acceptCapturedNode())
        pass->captureReference(name);
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

void XmlParsePass::elementStarted(
    const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri, int attributeCount, const xmlChar** attributes)
{
    m_hasRoot = true;
    followParser();
    // Entities first met in an attribute value get their nodes there, as
    // they would in the document's tree: a value read later may use them.
    for (int i = 0; i < attributeCount; ++i) {
        const xmlChar* const* attribute = attributes + 5 * i;
        XmlNodes::noteAttribute(m_context->myDoc, XmlElement::writtenValue(attribute));
    }
    XmlElement& element = newElement();
    const xmlChar* name = localName;
    // A prefix that no declaration binds stays in the name.
    if (prefix != nullptr && uri == nullptr) {
        if (const xmlChar* qualified = xmlDictQLookup(m_context->dict, prefix, localName))
            name = qualified;
    }
    element.m_name = text(name);
    element.m_parent = m_live.empty() ? nullptr : m_live.back();
    element.m_document = m_context->myDoc;
    m_live.push_back(&element);
    m_textNodeBytes = 0;
    noteIds(element, prefix, attributeCount, attributes);
    if (m_capture != nullptr) {
        acceptCapturedNode();
        return;
    }
    m_open.push_back(&element);
    element.m_attributes = attributes;
    element.m_attributeCount = attributeCount;
    const bool capture = m_sink.elementStarted(element);
    // The attributes are libxml2's only while the start tag is reported.
    element.m_attributes = nullptr;
    element.m_attributeCount = 0;
    if (capture) {
        m_capture = &element;
        m_captureLive = true;
        m_value.clear();
        m_valueTooLong = false;
        m_capturedNodes = 0;
        m_capturedBytes = 0;
    }
}

void XmlParsePass::elementEnded()
{
    followParser();
    if (m_live.empty())
        return;
    XmlElement* element = m_live.back();
    m_live.pop_back();
    m_textNodeBytes = 0;
    if (m_capture != nullptr && element != m_capture) {
        // Inside the captured element, never seen by the sink (unless the
        // captured element's start tag broke off: then nothing ends any more).
        if (m_captureLive)
            m_free.push_back(element);
        return;
    }
    // An element whose start tag broke off is still open here (below): the
    // elements around it end unreported, and the file reads as cut short.
    if (m_open.empty() || m_open.back() != element)
        return;
    m_open.pop_back();
    if (element == m_capture) {
        m_capture = nullptr;
        captureEnded(*element);
    } else {
        m_sink.elementEnded(*element, {});
    }
    // The root stays with the document; any other element, and what was
    // captured in it, goes.
    if (element->m_parent != nullptr)
        dropIds(element);
    m_free.push_back(element);
}

void XmlParsePass::noteIds(
    const XmlElement& element, const xmlChar* prefix, int attributeCount, const xmlChar** attributes)
{
    // libxml2 keeps a table of the document's IDs (xml:id, and attributes
    // the internal subset declares as ID) while their elements exist, and
    // reports an ID given twice or an xml:id that is no name.
    xmlDoc* document = m_context->myDoc;
    const bool declaredIds
        = document != nullptr && document->intSubset != nullptr && document->intSubset->attributes != nullptr;
    for (int i = 0; i < attributeCount; ++i) {
        const xmlChar* const* attribute = attributes + 5 * i;
        const bool xmlId = attribute[1] == m_context->str_xml && std::strcmp(text(attribute[0]), "id") == 0;
        if (!xmlId && !(declaredIds && declaredId(element, prefix, attribute)))
            continue;
        const std::string value(XmlElement::writtenValue(attribute));
        if (xmlId && xmlValidateNCName(reinterpret_cast<const xmlChar*>(value.c_str()), 1) != 0)
            noteOwnError("xml:id : attribute value " + value + " is not an NCName");
        if (value.empty())
            continue;
        if (!m_ids.emplace(value).second) {
            noteOwnError("ID " + value + " already defined");
            continue;
        }
        // The entry goes with its element, looked up by the attribute's
        // value with references expanded: one written with references
        // is never found, and stays.
        if (value.find('&') == std::string::npos)
            m_idOwners.emplace_back(m_capture != nullptr ? m_capture : &element, value);
    }
}

bool XmlParsePass::declaredId(const XmlElement& element, const xmlChar* prefix, const xmlChar* const* attribute)
{
    // The element and attribute as the tree would hold them, for libxml2
    // to look up in the internal subset.
    xmlNs elementNs{};
    elementNs.prefix = prefix;
    xmlNode node{};
    node.type = XML_ELEMENT_NODE;
    node.name = reinterpret_cast<const xmlChar*>(element.m_name.data());
    node.ns = prefix != nullptr ? &elementNs : nullptr;
    xmlNs attributeNs{};
    attributeNs.prefix = attribute[1];
    std::string qualified;
    xmlAttr property{};
    property.type = XML_ATTRIBUTE_NODE;
    property.name = attribute[0];
    property.parent = &node;
    if (attribute[1] != nullptr && attribute[2] == nullptr) {
        qualified.append(text(attribute[1])).append(":").append(text(attribute[0]));
        property.name = reinterpret_cast<const xmlChar*>(qualified.c_str());
    } else if (attribute[1] != nullptr) {
        property.ns = &attributeNs;
    }
    return xmlIsID(m_context->myDoc, &node, &property) != 0;
}

void XmlParsePass::dropIds(const XmlElement* element)
{
    std::erase_if(m_idOwners, [this, element](const std::pair<const XmlElement*, std::string>& entry) {
        if (entry.first != element)
            return false;
        m_ids.erase(entry.second);
        return true;
    });
}

std::string XmlParsePass::located(const std::string& message) const
{
    std::string description = m_name;
    if (m_context->input != nullptr && m_context->input->line > 0)
        description.append(":").append(std::to_string(m_context->input->line));
    return description.append(": ").append(message);
}

void XmlParsePass::noteOwnError(const std::string& message)
{
    if (m_firstError.empty())
        m_firstError = located(message);
}

void XmlParsePass::followParser()
{
    // libxml2 drops an element whose start tag breaks off (a tolerant parse
    // goes on after it) without reporting its end; its content then belongs
    // to its parent. It stays open for the sink, and a captured value goes
    // on counting what follows but gets no more of its text.
    const auto parserOpen = static_cast<size_t>(std::max(m_context->nameNr, 0));
    while (m_live.size() > parserOpen) {
        if (m_live.back() == m_capture)
            m_captureLive = false;
        m_live.pop_back();
        m_textNodeBytes = 0;
    }
}

XmlElement& XmlParsePass::newElement()
{
    if (m_free.empty())
        return m_elements.emplace_back();
    XmlElement& element = *m_free.back();
    m_free.pop_back();
    element = XmlElement();
    return element;
}

void XmlParsePass::captureText(const xmlChar* text, int length, bool cdata)
{
    const auto size = static_cast<size_t>(std::max(length, 0));
    if (cdata) {
        m_textNodeBytes = 0;
    } else {
        // libxml2's tree builder grows one text node from consecutive
        // pieces, and stops the parse when that node would pass its limit.
        if (m_textNodeBytes > 0 && (m_context->options & XML_PARSE_HUGE) == 0
            && m_textNodeBytes + size > XML_MAX_TEXT_LENGTH) {
            std::string description = located("xmlSAX2Characters: huge text node");
            if (m_firstError.empty())
                m_firstError = description;
            refuse(std::move(description));
            return;
        }
        m_textNodeBytes += size;
    }
    if (m_valueTooLong || !m_captureLive)
        return;
    if (size > XmlFileReader::kMaxCapturedBytes - m_value.size())
        m_valueTooLong = true;
    else
        m_value.append(reinterpret_cast<const char*>(text), size);
}

void XmlParsePass::captureReference(const xmlChar* name)
{
    m_textNodeBytes = 0;
    if (m_captureLive && !m_valueTooLong
        && !XmlNodes::appendEntity(m_context->myDoc, name, XmlFileReader::kMaxCapturedBytes, m_value))
        m_valueTooLong = true;
}

void XmlParsePass::captureEnded(const XmlElement& element)
{
    if (m_valueTooLong) {
        refuseTooLong(element.name());
        return;
    }
    if (XmlText::isUtf8(m_value))
        m_sink.elementEnded(element, m_value);
    else
        m_sink.elementEnded(element, XmlText::utf8FromMixed(m_value));
}

bool XmlParsePass::acceptCapturedNode()
{
    if (++m_capturedNodes <= XmlFileReader::kMaxCapturedNodes)
        return true;
    refuse(m_name + ": element " + std::string(m_capture->name()) + " holds too many nodes");
    return false;
}

bool XmlParsePass::acceptCapturedBytes(int length)
{
    m_capturedBytes += static_cast<size_t>(std::max(length, 0));
    if (m_capturedBytes <= XmlFileReader::kMaxCapturedBytes)
        return true;
    refuseTooLong(m_capture->name());
    return false;
}

void XmlParsePass::refuseTooLong(std::string_view element)
{
    refuse(m_name + ": the text of element " + std::string(element) + " is too long");
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
