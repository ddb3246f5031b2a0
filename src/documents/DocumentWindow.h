#pragma once

#include "documents/Document.h"

#include <QMainWindow>

#include <functional>
#include <optional>
#include <vector>

class QTableView;

namespace navora {

class DocumentController;
class WaypointTableModel;

// The window of one document: its title is the document's display name
// with the edited marker, closing it asks about unsaved changes through the
// document framework. The two document windows derive from it.
class DocumentWindow : public QMainWindow {
    Q_OBJECT
public:
    DocumentWindow(DocumentController& controller, DocumentPtr document);
    ~DocumentWindow() override;

    Document& document() const { return *m_document; }
    void updateTitle();
    // Closes without the unsaved-changes question (already asked).
    void closeWithoutAsking();

protected:
    DocumentController& controller() const { return m_controller; }
    // The window goes away: the document lets go of it.
    virtual void documentWindowWillClose() = 0;
    void closeEvent(QCloseEvent* event) override;

    // Gives a table its model with the columns named by the layout (the
    // table's "columns" property) and readable widths.
    static void setUpTable(QTableView& table, WaypointTableModel& model);
    // The list index of the selected row, nullopt for none.
    static std::optional<int> selectedListIndex(const QTableView& table, const WaypointTableModel& model);
    // The list indexes of every selected row, in list order.
    static std::vector<int> selectedListIndexes(const QTableView& table, const WaypointTableModel& model);
    // Return (or Enter) opens the selected row and Delete (or Backspace)
    // removes the selected rows, while the table has the focus.
    void addTableKeys(QTableView& table, std::function<void()> open, std::function<void()> remove);

private:
    DocumentController& m_controller;
    DocumentPtr m_document;
    bool m_closeConfirmed = false;
};

} // namespace navora
