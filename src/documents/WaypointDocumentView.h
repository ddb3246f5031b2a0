#pragma once

#include <string>

namespace navora {

// What the waypoint-list logic asks of its window besides the named fields
// (FormState) and the tables (WaypointTableModel).
class WaypointDocumentView {
public:
    virtual ~WaypointDocumentView() = default;

    // Runs the detail sheet (window-modal, not blocking); its end, by any
    // way, calls WaypointDocument::sheetDidEnd.
    virtual void openDetailSheet() = 0;
    virtual void closeDetailSheet() = 0;
    // Shows the nearest panel in front, as the key window.
    virtual void openNearestPanel() = 0;
    virtual void closeNearestPanel() = 0;
    // Clears the selection of the waypoint table.
    virtual void deselectAll() = 0;
    // A short message that something typed was not taken.
    virtual void tell(const std::string& title, const std::string& message)
    {
        (void)title;
        (void)message;
    }
    // A modal question; true for the default button.
    virtual bool askQuestion(const std::string& title, const std::string& message, const std::string& defaultButton,
        const std::string& alternateButton)
        = 0;
};

} // namespace navora
