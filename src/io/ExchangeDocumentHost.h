#pragma once

#include <string_view>
#include <vector>

namespace navora {

class ExchangeDocument;

// The document framework as the imports and exports use it. The host owns
// the documents; the pointers it gives stay valid while they are open.
class ExchangeDocumentHost {
public:
    virtual ~ExchangeDocumentHost() = default;

    // A new untitled document of the given type name, already registered in
    // the list of open documents and shown; nullptr when none can be made.
    virtual ExchangeDocument* makeUntitledDocumentOfType(std::string_view typeName) = 0;
    // The open documents in the framework's order (the order of opening).
    virtual std::vector<ExchangeDocument*> documents() const = 0;
    // The document whose window is the key window; nullptr when another
    // window (or none) is in front.
    virtual ExchangeDocument* keyDocument() const = 0;
};

} // namespace navora
