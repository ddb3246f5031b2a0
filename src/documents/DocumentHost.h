#pragma once

#include "documents/Document.h"

#include "io/ExchangeDocumentHost.h"

#include <optional>
#include <string>
#include <string_view>

namespace navora {

// The document framework as the documents themselves use it: besides what
// the imports and exports need, a route document opens a waypoint list as
// its pick list, asking the user for the file when none is open.
class DocumentHost : public ExchangeDocumentHost {
public:
    // Asks for one existing file with the extension (no folders); nullopt
    // when the user cancels.
    virtual std::optional<std::string> chooseFileToOpen(std::string_view extension) = 0;
    // Opens the document at path (or finds it open) and, with display, shows
    // its windows. Empty, with error, when it cannot be opened.
    virtual DocumentPtr openDocumentWithContentsOfFile(const std::string& path, bool display, std::string& error) = 0;
    // Brings the document's windows to the front.
    virtual void showDocument(Document& document) = 0;
};

} // namespace navora
