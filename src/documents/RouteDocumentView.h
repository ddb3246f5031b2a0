#pragma once

namespace navora {

// What the route logic asks of its window besides the named fields
// (FormState) and the table (WaypointTableModel).
class RouteDocumentView {
public:
    virtual ~RouteDocumentView() = default;

    // Runs the detail sheet (window-modal, not blocking); its end, by any
    // way, calls RouteDocument::sheetDidEnd.
    virtual void openDetailSheet() = 0;
    virtual void closeDetailSheet() = 0;
    // Clears the selection of the route table.
    virtual void deselectAll() = 0;
    // Selects a row of the route table (after a move).
    virtual void selectRow(int row) = 0;
    // The route-active lock: the table draws alternating row colours
    // exactly while it is off.
    virtual void showRouteLock(bool locked) = 0;
};

} // namespace navora
