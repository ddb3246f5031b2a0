#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace navora {

class XmlRecordSink;

// What reading an XML file gave.
struct XmlReadResult {
    // One of the two parses gave a document, and the sink holds what that
    // parse reported. False when neither did or the file was refused.
    bool document = false;
    // The first error reported (by the strict parse when it failed), as
    // "file:line: message"; empty when none.
    std::string error;
};

// Reads KML and GPX files with libxml2, streaming them into an XmlRecordSink:
// first strictly (CDATA sections kept as such); when that gives no document,
// again in libxml2's recover mode, the tolerant parse.
//
// A file is untrusted input. Nothing is ever fetched: no network, no external
// entity, no external DTD subset (a file that declares either is refused
// outright), and libxml2's own limits stay on (no XML_PARSE_HUGE): nesting
// depth, text node length, entity amplification. A parse stopped by a limit
// is not retried or used, and neither is a file that ends inside its
// document (a truncated copy), of which any part could be missing. A
// captured element holds at most kMaxCapturedNodes nodes and
// kMaxCapturedBytes of text. Memory use does not grow with the length of the
// file.
class XmlFileReader {
public:
    static constexpr size_t kMaxCapturedNodes = 10000;
    static constexpr size_t kMaxCapturedBytes = size_t{10} << 20;

    // Reads the regular file at path.
    static XmlReadResult readFile(const std::string& path, XmlRecordSink& sink);
};

} // namespace navora
