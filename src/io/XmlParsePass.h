#pragma once

#include "io/XmlRecordSink.h"

#include <libxml/parser.h>

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace navora {

class XmlFileInput;

// One parse of a file, strict or tolerant, with libxml2's SAX2 parser: each
// element is reported to the sink as it begins and ends, and only the open
// elements are kept, as small records of our own; the value of a captured
// element is gathered as its text streams past. No node of the document is
// built, except what libxml2 keeps of its type declaration (entities).
// It refuses external entities and external DTD subsets, bounds what a
// captured element may hold, keeps libxml2's limit on one text node, and
// notes the first error and whether a limit stopped the parse.
class XmlParsePass {
public:
    // name stands for the file in errors.
    XmlParsePass(XmlRecordSink& sink, const std::string& name);

    // Runs the parse. Returns the document libxml2 made, if any (without
    // elements), for the caller to free.
    xmlDocPtr run(XmlFileInput& input, int options);

    bool wellFormed() const { return m_wellFormed; }
    // A limit or a refusal stopped it: nothing it read may be used.
    bool halted() const { return !m_refusal.empty(); }
    const std::string& refusal() const { return m_refusal; }
    const std::string& firstError() const { return m_firstError; }

    // Whether the document's root element began.
    bool hasRoot() const { return m_hasRoot; }
    // Whether the file ended inside an element.
    bool truncated() const { return !m_open.empty(); }

private:
    static XmlParsePass* of(void* context);
    static XmlParsePass* errorTarget(void* userData);

    static void startElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri,
        int namespaceCount, const xmlChar** namespaces, int attributeCount, int defaultedCount,
        const xmlChar** attributes);
    static void endElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri);
    static void characters(void* context, const xmlChar* text, int length);
    static void cdataBlock(void* context, const xmlChar* text, int length);
    static void reference(void* context, const xmlChar* name);
    static void internalSubset(void* context, const xmlChar* name, const xmlChar* externalId, const xmlChar* systemId);
    static void entityDecl(void* context, const xmlChar* name, int type, const xmlChar* publicId,
        const xmlChar* systemId, xmlChar* content);
    static void unparsedEntityDecl(void* context, const xmlChar* name, const xmlChar* publicId, const xmlChar* systemId,
        const xmlChar* notationName);
    static xmlParserInputPtr resolveEntity(void* context, const xmlChar* publicId, const xmlChar* systemId);
    static void structuredError(void* userData, xmlErrorPtr error);
    static xmlSAXHandler handler();

    void elementStarted(const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri, int attributeCount,
        const xmlChar** attributes);
    void elementEnded();
    void followParser();
    void noteIds(const XmlElement& element, const xmlChar* prefix, int attributeCount, const xmlChar** attributes);
    bool declaredId(const XmlElement& element, const xmlChar* prefix, const xmlChar* const* attribute);
    void dropIds(const XmlElement* element);
    // "file:line: message", as libxml2's errors are told.
    std::string located(const std::string& message) const;
    void noteOwnError(const std::string& message);
    XmlElement& newElement();
    void captureText(const xmlChar* text, int length, bool cdata);
    void captureReference(const xmlChar* name);
    void captureEnded(const XmlElement& element);
    bool acceptCapturedNode();
    bool acceptCapturedBytes(int length);
    void refuse(std::string reason);
    void refuseTooLong(std::string_view element);
    void noteError(const xmlError& error);

    XmlRecordSink& m_sink;
    const std::string& m_name;
    xmlParserCtxtPtr m_context = nullptr;
    // Where elements live, each at one address until it has ended; ended
    // ones are reused.
    std::deque<XmlElement> m_elements;
    std::vector<XmlElement*> m_free;
    // The elements open in the parser, outermost first.
    std::vector<XmlElement*> m_live;
    // The elements reported to the sink and not yet ended.
    std::vector<XmlElement*> m_open;
    bool m_hasRoot = false;
    // The element whose value is being gathered, and whether the parser is
    // still inside it.
    XmlElement* m_capture = nullptr;
    bool m_captureLive = false;
    std::string m_value;
    bool m_valueTooLong = false;
    // The length of the text node libxml2's tree builder would be growing.
    size_t m_textNodeBytes = 0;
    // The IDs of the elements that libxml2's tree would hold, and the
    // element whose end removes each.
    std::unordered_set<std::string> m_ids;
    std::vector<std::pair<const XmlElement*, std::string>> m_idOwners;
    size_t m_capturedNodes = 0;
    size_t m_capturedBytes = 0;
    bool m_wellFormed = false;
    std::string m_refusal;
    std::string m_firstError;
};

} // namespace navora
