#pragma once

#include "documents/DocumentContent.h"

#include <QUndoCommand>

#include <functional>

namespace navora {

// One step on a document's undo stack: the content before and after an
// edit that has already been made. Undo puts the first back, redo the
// second.
class ContentUndoCommand : public QUndoCommand {
public:
    using Restore = std::function<void(const DocumentContent&)>;

    ContentUndoCommand(const QString& text, DocumentContent before, DocumentContent after, Restore restore);

    void undo() override;
    void redo() override;

private:
    DocumentContent m_before;
    DocumentContent m_after;
    Restore m_restore;
    // The stack redoes a command as it takes it; the edit is already made.
    bool m_taken = false;
};

} // namespace navora
