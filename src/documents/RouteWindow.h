#pragma once

#include "documents/DocumentWindow.h"
#include "documents/RouteDocumentView.h"

#include <memory>

class QDialog;

namespace Ui {
class RouteDocument;
class RouteDetailPanel;
} // namespace Ui

namespace navora {

class FormBinding;
class RouteDocument;

// The route window (layout "RouteDocument") and its detail sheet (layout
// "RouteDetailPanel"). It forwards the user's actions to the RouteDocument
// and shows what the document writes.
class RouteWindow : public DocumentWindow, public RouteDocumentView {
    Q_OBJECT
public:
    RouteWindow(DocumentController& controller, std::shared_ptr<RouteDocument> document);
    ~RouteWindow() override;

    RouteDocument& routeDocument() const { return *m_routeDocument; }
    QDialog& detailPanel() const { return *m_detailPanel; }

    // RouteDocumentView
    void openDetailSheet() override;
    void closeDetailSheet() override;
    void deselectAll() override;
    void selectRow(int row) override;
    void showRouteLock(bool locked) override;

protected:
    void documentWindowWillClose() override;

private:
    void connectMainWindow();
    void connectDetailPanel();

    std::shared_ptr<RouteDocument> m_routeDocument;
    std::unique_ptr<Ui::RouteDocument> m_ui;
    std::unique_ptr<Ui::RouteDetailPanel> m_detailUi;
    QDialog* m_detailPanel = nullptr;
    FormBinding* m_binding = nullptr;
};

} // namespace navora
