#pragma once

#include <libxml/parser.h>

#include <cstddef>
#include <string>
#include <vector>

namespace navora {

class XmlFileInput;
class XmlRecordSink;

// One parse of a file, strict or tolerant, with libxml2's SAX2 tree builder:
// each element is reported to the sink as it begins and ends, and dropped
// once it has ended, so that only the open elements (and the content of a
// captured one) are ever in memory. It refuses external entities and
// external DTD subsets, bounds what a captured element may hold, and notes
// the first error and whether a limit stopped the parse.
class XmlParsePass {
public:
    // name stands for the file in errors.
    XmlParsePass(XmlRecordSink& sink, const std::string& name);

    // Runs the parse. Returns the document libxml2 built, if any, for the
    // caller to free.
    xmlDocPtr run(XmlFileInput& input, int options);

    bool wellFormed() const { return m_wellFormed; }
    // A limit or a refusal stopped it: nothing it read may be used.
    bool halted() const { return !m_refusal.empty(); }
    const std::string& refusal() const { return m_refusal; }
    const std::string& firstError() const { return m_firstError; }

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

    void elementStarted(xmlNode* element);
    void elementEnded(xmlNode* element);
    bool acceptCapturedNode();
    bool acceptCapturedBytes(int length);
    void refuse(std::string reason);
    void noteError(const xmlError& error);

    XmlRecordSink& m_sink;
    const std::string& m_name;
    xmlParserCtxtPtr m_context = nullptr;
    std::vector<xmlNode*> m_open;
    xmlNode* m_capture = nullptr;
    size_t m_capturedNodes = 0;
    size_t m_capturedBytes = 0;
    bool m_wellFormed = false;
    std::string m_refusal;
    std::string m_firstError;
};

} // namespace navora
