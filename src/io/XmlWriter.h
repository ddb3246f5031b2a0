#pragma once

#include <libxml/tree.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

// Writes an XML document (version 1.0, encoding UTF-8, indented by two
// blanks) element by element, never holding a tree of the whole document.
// With an output, the bytes go there in pieces of about kChunkBytes as they
// are written, so an export of any length takes little memory; without one,
// finish() gives the whole text. Text and attribute values are escaped, and
// made fit for XML by XmlText. Element and attribute names are the caller's
// constants.
class XmlWriter {
public:
    // Takes the next bytes of the document; false when they could not be
    // written (the writer then stops).
    using Output = std::function<bool(std::string_view bytes)>;
    static constexpr size_t kChunkBytes = 64 * 1024;

    // Writes the document that content writes into the file at path, whole
    // or not at all: the old file stays until the new one is complete.
    // False with error saying why.
    static bool saveFile(
        const std::string& path, const std::function<void(XmlWriter& writer)>& content, std::string& error);

    explicit XmlWriter(Output output = {});

    void startElement(std::string_view name);
    void attribute(std::string_view name, std::string_view value);
    // An element holding only text (also when that is empty).
    void textElement(std::string_view name, std::string_view text);
    void endElement();
    // Writes element as parsed by libxml2: its attributes, child elements and
    // text, leaving out text that is only white space.
    void copyElement(const xmlNode* element);

    // Characters replaced because XML cannot hold them.
    int replacements() const { return m_replacements; }

    // Closes every open element and gives the document's bytes not yet
    // passed to the output (all of them when there is none).
    std::string finish();
    // Whether the output refused bytes.
    bool failed() const { return m_failed; }

private:
    void flushIfFull();

    struct OpenElement {
        std::string name;
        bool hasChildElements = false;
    };

    void closeStartTag();
    void newLine();
    void appendEscaped(std::string_view text, bool inAttribute);
    void appendEscapedClean(std::string_view text, bool inAttribute);

    Output m_output;
    std::string m_bytes;
    bool m_failed = false;
    std::vector<OpenElement> m_open;
    // The last start tag is still open for attributes.
    bool m_startTagOpen = false;
    int m_replacements = 0;
};

} // namespace navora
