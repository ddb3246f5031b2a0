#pragma once

#include "documents/DocumentWindow.h"
#include "documents/WaypointDocumentView.h"

#include <memory>

class QDialog;
class QLineEdit;
class QTimer;

namespace Ui {
class WaypointDocument;
class WaypointDetailPanel;
class NearestPanel;
} // namespace Ui

namespace navora {

class FormBinding;
class WaypointDocument;

// The waypoint-list window (layout "WaypointDocument"), its detail sheet
// (layout "WaypointDetailPanel") and its nearest panel (layout
// "NearestPanel"). It forwards the user's actions to the WaypointDocument
// and shows what the document writes.
class WaypointWindow : public DocumentWindow, public WaypointDocumentView {
    Q_OBJECT
public:
    WaypointWindow(DocumentController& controller, std::shared_ptr<WaypointDocument> document);
    ~WaypointWindow() override;

    WaypointDocument& waypointDocument() const { return *m_waypointDocument; }
    QDialog& detailPanel() const { return *m_detailPanel; }
    QDialog& nearestPanel() const { return *m_nearestPanel; }

    // WaypointDocumentView
    void openDetailSheet() override;
    void closeDetailSheet() override;
    void openNearestPanel() override;
    void closeNearestPanel() override;
    void deselectAll() override;
    void tell(const std::string& title, const std::string& message) override;
    bool askQuestion(const std::string& title, const std::string& message, const std::string& defaultButton,
        const std::string& alternateButton) override;

protected:
    void documentWindowWillClose() override;

private:
    void connectMainWindow();
    void connectDetailPanel();
    void connectNearestPanel();
    // A text field whose typing goes to the form, then to action.
    void forwardTyping(QLineEdit* edit, std::function<void()> action);

    std::shared_ptr<WaypointDocument> m_waypointDocument;
    std::unique_ptr<Ui::WaypointDocument> m_ui;
    std::unique_ptr<Ui::WaypointDetailPanel> m_detailUi;
    std::unique_ptr<Ui::NearestPanel> m_nearestUi;
    QDialog* m_detailPanel = nullptr;
    QDialog* m_nearestPanel = nullptr;
    QTimer* m_nearestRedraw = nullptr;
    FormBinding* m_binding = nullptr;
};

} // namespace navora
