#include "io/MemoryDocumentHost.h"

#include "io/MemoryRouteDocument.h"
#include "io/MemoryWaypointDocument.h"

#include "model/DocumentTypes.h"

namespace navora {

ExchangeDocument* MemoryDocumentHost::makeUntitledDocumentOfType(std::string_view typeName)
{
    if (typeName == kWaypointsDocumentType.name)
        return addDocument(std::make_unique<MemoryWaypointDocument>());
    if (typeName == kRouteDocumentType.name)
        return addDocument(std::make_unique<MemoryRouteDocument>());
    return nullptr;
}

std::vector<ExchangeDocument*> MemoryDocumentHost::documents() const
{
    std::vector<ExchangeDocument*> open;
    open.reserve(m_documents.size());
    for (const auto& document : m_documents)
        open.push_back(document.get());
    return open;
}

ExchangeDocument* MemoryDocumentHost::addDocument(std::unique_ptr<ExchangeDocument> document)
{
    m_documents.push_back(std::move(document));
    return m_documents.back().get();
}

} // namespace navora
