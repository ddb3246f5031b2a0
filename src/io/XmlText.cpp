#include "io/XmlText.h"

namespace navora {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Length of the valid UTF-8 sequence of an XML character at text[i], or 0.
// With anyCharacter, control characters count as valid too.
size_t validCharacterLength(std::string_view text, size_t i, bool anyCharacter = false)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return (anyCharacter || lead >= 0x20 || lead == '\t' || lead == '\n' || lead == '\r') ? 1 : 0;
    size_t length = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1Fu;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0Fu;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07u;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3Fu);
    }
    const bool allowed = code >= minimum && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF)
        && (anyCharacter || (code != 0xFFFE && code != 0xFFFF));
    return allowed ? length : 0;
}

size_t cleanPrefixLength(std::string_view text, bool anyCharacter = false)
{
    size_t i = 0;
    while (i < text.size()) {
        // Printable ASCII, most of any text, in one step.
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20 && byte < 0x80) {
            ++i;
            continue;
        }
        const size_t length = validCharacterLength(text, i, anyCharacter);
        if (length == 0)
            break;
        i += length;
    }
    return i;
}

} // namespace

bool XmlText::isClean(std::string_view text)
{
    return cleanPrefixLength(text) == text.size();
}

std::string XmlText::clean(std::string_view text, int& replacements)
{
    size_t i = cleanPrefixLength(text);
    if (i == text.size())
        return std::string(text);

    std::string repaired(text.substr(0, i));
    while (i < text.size()) {
        const size_t length = validCharacterLength(text, i);
        if (length == 0) {
            repaired.append(kReplacement);
            ++replacements;
            ++i;
        } else {
            repaired.append(text.substr(i, length));
            i += length;
        }
    }
    return repaired;
}

bool XmlText::isUtf8(std::string_view text)
{
    return cleanPrefixLength(text, true) == text.size();
}

std::string XmlText::utf8FromMixed(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const size_t length = validCharacterLength(text, i, true);
        if (length > 0) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        const auto byte = static_cast<unsigned char>(text[i++]);
        out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
        out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
    return out;
}

} // namespace navora
