#pragma once

#include <string>
#include <string_view>

namespace navora {

// Text as an XML 1.0 file can hold it. Names and comments come from
// anywhere (typed, archived, imported); a byte sequence that is not UTF-8 or
// a control character that XML 1.0 forbids would make the whole exported file
// unreadable, so each is replaced by U+FFFD.
class XmlText {
public:
    // Whether text holds only UTF-8 characters that XML 1.0 allows.
    static bool isClean(std::string_view text);
    // text unchanged when it is fine, else the repaired copy; replacements
    // counts what was replaced.
    static std::string clean(std::string_view text, int& replacements);

    // Whether text is UTF-8 (of any characters).
    static bool isUtf8(std::string_view text);
    // text as UTF-8: every byte that is not part of a UTF-8 sequence is taken
    // as the ISO-8859-1 character it stands for. The tolerant parse passes
    // such bytes through after it found a file not to be the UTF-8 it said.
    static std::string utf8FromMixed(std::string_view text);
};

} // namespace navora
