#include "documents/Document.h"

#include "model/AtomicFile.h"
#include "model/DocumentArchive.h"

#include <filesystem>
#include <optional>

namespace navora {

std::string Document::displayName() const
{
    if (m_fileName.empty())
        return m_untitledName;
    return std::filesystem::path(m_fileName).filename().string();
}

void Document::setFileName(std::string fileName)
{
    m_fileName = std::move(fileName);
    stateChanged();
}

void Document::setUntitledName(std::string untitledName)
{
    m_untitledName = std::move(untitledName);
    stateChanged();
}

void Document::updateChangeCount(ChangeType change)
{
    const bool wasEdited = isDocumentEdited();
    m_changeCount = change == ChangeType::Done ? m_changeCount + 1 : 0;
    if (wasEdited != isDocumentEdited())
        stateChanged();
}

bool Document::readFromFile(const std::string& path, std::string& error)
{
    const std::optional<std::string> data = DocumentArchive::readFile(path, error);
    if (!data)
        return false;
    if (!loadDataRepresentation(*data, typeName(), error))
        return false;
    m_fileName = path;
    m_changeCount = 0;
    stateChanged();
    return true;
}

bool Document::writeToFile(const std::string& path, std::string& error)
{
    const std::optional<std::string> data = dataRepresentationOfType(typeName(), error);
    if (!data || !AtomicFile::writeFile(path, *data, error))
        return false;
    m_fileName = path;
    m_changeCount = 0;
    stateChanged();
    return true;
}

bool Document::revertToSaved(std::string& error)
{
    if (m_fileName.empty()) {
        error = "The document has never been saved";
        return false;
    }
    return readFromFile(m_fileName, error);
}

void Document::stateChanged() const
{
    if (m_stateListener)
        m_stateListener();
}

} // namespace navora
