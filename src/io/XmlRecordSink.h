#pragma once

#include "io/XmlElement.h"

#include <string_view>

namespace navora {

// Receives the elements of an XML file as XmlFileReader streams it. Only the
// open elements (the current one and its ancestors) exist at any time, so
// files of any length are read in little memory. An element that the sink
// captures has its string value gathered until its end, where the sink gets
// it; elements inside a captured one go into that value and are not
// reported on their own.
class XmlRecordSink {
public:
    virtual ~XmlRecordSink() = default;

    // A parse begins: anything collected by an earlier, failed parse goes.
    virtual void reset() = 0;
    // An element has begun: its attributes and ancestors are in place.
    // Returns true to capture it.
    virtual bool elementStarted(const XmlElement& element) = 0;
    // An element has ended; value is the string value of a captured element
    // (empty for any other).
    virtual void elementEnded(const XmlElement& element, std::string_view value) = 0;
};

} // namespace navora
