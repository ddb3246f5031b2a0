#include "io/XmlWriter.h"

#include "io/XmlText.h"

#include "core/Log.h"
#include "model/AtomicFile.h"

namespace navora {

namespace {

std::string_view view(const xmlChar* text)
{
    return text != nullptr ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

bool isBlank(std::string_view text)
{
    return text.find_first_not_of(" \t\n\r") == std::string_view::npos;
}

} // namespace

XmlWriter::XmlWriter(Output output)
    : m_output(std::move(output))
{
    if (m_output)
        m_bytes.reserve(kChunkBytes + kChunkBytes / 4);
    m_bytes = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
}

void XmlWriter::startElement(std::string_view name)
{
    flushIfFull();
    closeStartTag();
    if (!m_open.empty()) {
        m_open.back().hasChildElements = true;
        newLine();
    }
    m_bytes.push_back('<');
    m_bytes.append(name);
    m_open.push_back({std::string(name)});
    m_startTagOpen = true;
}

void XmlWriter::attribute(std::string_view name, std::string_view value)
{
    if (!m_startTagOpen)
        return;
    m_bytes.push_back(' ');
    m_bytes.append(name);
    m_bytes.append("=\"");
    appendEscaped(value, true);
    m_bytes.push_back('"');
}

void XmlWriter::textElement(std::string_view name, std::string_view text)
{
    startElement(name);
    closeStartTag();
    appendEscaped(text, false);
    endElement();
}

void XmlWriter::endElement()
{
    if (m_open.empty())
        return;
    const OpenElement element = std::move(m_open.back());
    m_open.pop_back();
    if (m_startTagOpen) {
        m_bytes.append("/>");
        m_startTagOpen = false;
        return;
    }
    if (element.hasChildElements)
        newLine();
    m_bytes.append("</");
    m_bytes.append(element.name);
    m_bytes.push_back('>');
}

void XmlWriter::copyElement(const xmlNode* element)
{
    startElement(view(element->name));
    for (const xmlAttr* attr = element->properties; attr != nullptr; attr = attr->next) {
        xmlChar* value = xmlNodeListGetString(element->doc, attr->children, 1);
        attribute(view(attr->name), view(value));
        xmlFree(value);
    }
    for (const xmlNode* child = element->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            copyElement(child);
        } else if ((child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE)
            && !isBlank(view(child->content))) {
            closeStartTag();
            appendEscaped(view(child->content), false);
        }
    }
    endElement();
}

std::string XmlWriter::finish()
{
    while (!m_open.empty())
        endElement();
    m_bytes.push_back('\n');
    if (m_replacements > 0)
        Log::format("%d characters that XML cannot hold were written as U+FFFD", m_replacements);
    if (m_output) {
        if (!m_failed && !m_output(m_bytes))
            m_failed = true;
        m_bytes.clear();
    }
    return std::move(m_bytes);
}

void XmlWriter::flushIfFull()
{
    if (!m_output || m_bytes.size() < kChunkBytes)
        return;
    if (!m_failed && !m_output(m_bytes))
        m_failed = true;
    m_bytes.clear();
}

void XmlWriter::closeStartTag()
{
    if (m_startTagOpen) {
        m_bytes.push_back('>');
        m_startTagOpen = false;
    }
}

void XmlWriter::newLine()
{
    m_bytes.push_back('\n');
    m_bytes.append(2 * m_open.size(), ' ');
}

void XmlWriter::appendEscaped(std::string_view text, bool inAttribute)
{
    if (XmlText::isClean(text))
        appendEscapedClean(text, inAttribute);
    else
        appendEscapedClean(XmlText::clean(text, m_replacements), inAttribute);
}

void XmlWriter::appendEscapedClean(std::string_view text, bool inAttribute)
{
    // Runs of characters written as they are go in one piece.
    const auto special = [inAttribute](char c) {
        return c == '&' || c == '<' || c == '>' || c == '\r' || (inAttribute && (c == '"' || c == '\n' || c == '\t'));
    };
    while (!text.empty()) {
        size_t run = 0;
        while (run < text.size() && !special(text[run]))
            ++run;
        m_bytes.append(text.substr(0, run));
        if (run == text.size())
            return;
        switch (text[run]) {
        case '&':
            m_bytes.append("&amp;");
            break;
        case '<':
            m_bytes.append("&lt;");
            break;
        case '>':
            m_bytes.append("&gt;");
            break;
        case '"':
            m_bytes.append("&quot;");
            break;
        // Written as references so that a reader gets them back unchanged
        // (line ends are normalised, blanks in attributes too).
        case '\r':
            m_bytes.append("&#13;");
            break;
        case '\n':
            m_bytes.append("&#10;");
            break;
        case '\t':
            m_bytes.append("&#9;");
            break;
        }
        text.remove_prefix(run + 1);
    }
}

bool XmlWriter::saveFile(
    const std::string& path, const std::function<void(XmlWriter& writer)>& content, std::string& error)
{
    AtomicFile file(path);
    if (!file.open(error))
        return false;
    XmlWriter writer([&](std::string_view bytes) { return file.write(bytes, error); });
    content(writer);
    writer.finish();
    return !writer.failed() && file.commit(error);
}

} // namespace navora
