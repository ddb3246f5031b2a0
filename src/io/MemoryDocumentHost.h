#pragma once

#include "io/ExchangeDocumentHost.h"

#include <memory>
#include <vector>

namespace navora {

// Owns headless documents in the order they were made or added. Making a
// document of an unknown type gives nullptr, as the document framework does.
class MemoryDocumentHost : public ExchangeDocumentHost {
public:
    ExchangeDocument* makeUntitledDocumentOfType(std::string_view typeName) override;
    std::vector<ExchangeDocument*> documents() const override;
    ExchangeDocument* keyDocument() const override { return m_keyDocument; }

    // Takes an existing document (one loaded from a file) into the list.
    ExchangeDocument* addDocument(std::unique_ptr<ExchangeDocument> document);
    // Which document counts as the one in front; nullptr for none.
    void setKeyDocument(ExchangeDocument* document) { m_keyDocument = document; }

private:
    std::vector<std::unique_ptr<ExchangeDocument>> m_documents;
    ExchangeDocument* m_keyDocument = nullptr;
};

} // namespace navora
