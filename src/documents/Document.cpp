#include "documents/Document.h"

#include "documents/ContentUndoCommand.h"

#include "model/AtomicFile.h"
#include "model/DocumentArchive.h"

#include <QUndoStack>

#include <filesystem>
#include <optional>

namespace navora {

namespace {

// Enough for a working session; each step holds at most two orders of the
// document's waypoints.
constexpr int kUndoLimit = 200;

} // namespace

Document::Document()
    : m_undoStack(std::make_unique<QUndoStack>())
{
    m_undoStack->setUndoLimit(kUndoLimit);
    QObject::connect(m_undoStack.get(), &QUndoStack::cleanChanged, m_undoStack.get(), [this] { stateChanged(); });
}

Document::~Document()
{
    // The stack tells of its last clean state as it goes; nobody listens now.
    m_undoStack->blockSignals(true);
}

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

bool Document::isDocumentEdited() const
{
    return m_changeCount != 0 || !m_undoStack->isClean();
}

void Document::updateChangeCount(ChangeType change)
{
    if (m_recording && change == ChangeType::Done)
        return;
    const bool wasEdited = isDocumentEdited();
    m_changeCount = change == ChangeType::Done ? m_changeCount + 1 : 0;
    if (change == ChangeType::Cleared)
        m_undoStack->setClean();
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
    // The steps refer to the content just replaced.
    m_undoStack->clear();
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
    m_undoStack->setClean();
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

void Document::recordEdit(const QString& name, const std::function<void()>& edit, const WaypointList& changedInPlace)
{
    DocumentContent before = currentContent();
    before.values = DocumentContent::valuesOf(changedInPlace);
    m_recording = true;
    edit();
    m_recording = false;
    DocumentContent after = currentContent();
    after.values = DocumentContent::valuesOf(changedInPlace);
    if (before == after)
        return;
    if (before.waypoints == after.waypoints) {
        before.waypoints.reset();
        after.waypoints.reset();
    }
    m_undoStack->push(new ContentUndoCommand(name, std::move(before), std::move(after),
        [this](const DocumentContent& content) { restoreContent(content); }));
    stateChanged();
}

void Document::stateChanged() const
{
    if (m_stateListener)
        m_stateListener();
}

} // namespace navora
