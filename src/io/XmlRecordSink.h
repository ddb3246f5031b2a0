#pragma once

#include <libxml/tree.h>

#include <string_view>

namespace navora {

// Receives the elements of an XML file as XmlFileReader streams it. Only the
// open elements (the current one and its ancestors, with their attributes)
// exist at any time; each element is dropped once it has ended, so files of
// any length are read in little memory. An element that the sink captures
// keeps its whole content until its end, where the sink gets its string
// value; elements inside a captured one are part of that value and are not
// reported on their own.
class XmlRecordSink {
public:
    virtual ~XmlRecordSink() = default;

    // A parse begins: anything collected by an earlier, failed parse goes.
    virtual void reset() = 0;
    // An element has begun: its attributes and ancestors are in place.
    // Returns true to capture it.
    virtual bool elementStarted(const xmlNode* element) = 0;
    // An element has ended; value is the string value of a captured element
    // (empty for any other).
    virtual void elementEnded(const xmlNode* element, std::string_view value) = 0;
};

} // namespace navora
