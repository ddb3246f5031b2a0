#pragma once

#include "documents/DocumentContent.h"
#include "io/ExchangeDocument.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QUndoStack;

namespace navora {

// A document of the document framework: a file name (empty while untitled),
// a change count whose non-zero value is the window title's edited marker,
// and the two hooks by which a document turns its content into file
// contents and back. Reading and writing files is done here: a save replaces
// the file atomically, a load reads at most the archive's size limit and
// leaves the document untouched when the data cannot be decoded.
//
// Every edit of the content is a step on the document's undo stack; the
// edited marker is off exactly when the stack stands where the file was last
// saved or read (or nothing was changed outside the stack since).
//
// Documents are shared (std::shared_ptr): a waypoint list serving as a
// route's pick list refers back to that route document without keeping it
// open. They live on the user-interface thread.
class Document : public ExchangeDocument, public std::enable_shared_from_this<Document> {
public:
    enum class ChangeType { Done, Cleared };
    // Called when the title or the edited state may have changed.
    using StateListener = std::function<void()>;

    Document();
    ~Document() override;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // The file's name without its folder, or the untitled name the framework
    // gave (see setUntitledName).
    std::string displayName() const override;

    const std::string& fileName() const { return m_fileName; }
    void setFileName(std::string fileName);
    void setUntitledName(std::string untitledName);
    const std::string& untitledName() const { return m_untitledName; }

    int changeCount() const { return m_changeCount; }
    bool isDocumentEdited() const;
    // Counts a change made outside the undo stack (ignored while an edit is
    // being recorded: the stack counts that one).
    void updateChangeCount(ChangeType change);

    QUndoStack& undoStack() const { return *m_undoStack; }
    // True while the content may not be edited, undo and redo included.
    virtual bool editingLocked() const { return false; }

    // The file contents of the document; nullopt (and error) when it cannot
    // be encoded.
    virtual std::optional<std::string> dataRepresentationOfType(std::string_view type, std::string& error) = 0;
    // Replaces the content from file contents; false (and error, with the
    // document unchanged) when the data is not a document of this type.
    virtual bool loadDataRepresentation(std::string_view data, std::string_view type, std::string& error) = 0;

    // Loads the file and takes it as the document's file; the change count
    // is cleared. False, with the document unchanged, on any failure.
    bool readFromFile(const std::string& path, std::string& error);
    // Writes the document to path (atomically) and takes it as the
    // document's file; the change count is cleared.
    bool writeToFile(const std::string& path, std::string& error);
    // Loads the document's own file again.
    bool revertToSaved(std::string& error);

    void setStateListener(StateListener listener) { m_stateListener = std::move(listener); }

protected:
    // Makes `edit` one undoable step called `name`; `changedInPlace` are the
    // waypoints whose fields it may change. An edit that changes nothing
    // leaves no step.
    void recordEdit(const QString& name, const std::function<void()>& edit, const WaypointList& changedInPlace = {});
    // The order of the waypoints and the route's name as they are now.
    virtual DocumentContent currentContent() const = 0;
    // Puts the content back as it was at a step of the undo stack.
    virtual void restoreContent(const DocumentContent& content) = 0;

    // Tells the window to redraw its title (the display name changed).
    void stateChanged() const;

private:
    std::string m_fileName;
    std::string m_untitledName = "Untitled";
    int m_changeCount = 0;
    bool m_recording = false;
    std::unique_ptr<QUndoStack> m_undoStack;
    StateListener m_stateListener;
};

using DocumentPtr = std::shared_ptr<Document>;

} // namespace navora
