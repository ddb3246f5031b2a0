#include "documents/ContentUndoCommand.h"

namespace navora {

ContentUndoCommand::ContentUndoCommand(
    const QString& text, DocumentContent before, DocumentContent after, Restore restore)
    : QUndoCommand(text)
    , m_before(std::move(before))
    , m_after(std::move(after))
    , m_restore(std::move(restore))
{
}

void ContentUndoCommand::undo()
{
    m_restore(m_before);
}

void ContentUndoCommand::redo()
{
    if (!m_taken) {
        m_taken = true;
        return;
    }
    m_restore(m_after);
}

} // namespace navora
