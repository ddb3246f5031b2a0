#pragma once

#include "documents/CoordinateText.h"
#include "documents/Document.h"
#include "documents/DocumentServices.h"
#include "documents/FormState.h"
#include "documents/WaypointTableModel.h"

#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

namespace navora {

class UiThread;
class WaypointDocumentView;

// The waypoint-list document ("Navora Waypoints File", .nvw): its list kept
// in name order, the detail sheet that adds, updates, deletes and activates
// one waypoint, the nearest-waypoints panel, the pick-list role for a route
// document and the current GPS position. The logic lives here, without
// widgets: it writes the window's named fields into form(), shows its lists
// through two table models and asks its window (WaypointDocumentView) for
// sheets, panels and questions. The actions take the table selection (a
// list index, nullopt for none) as an argument.
class WaypointDocument : public Document {
public:
    enum class Table { Waypoints, Nearest };

    static constexpr std::string_view kDeleteTitle = "Confirm waypoint deletion";
    static constexpr std::string_view kDeleteMessage = "Really delete %1?";
    static constexpr std::string_view kDeleteYes = "Yes";
    static constexpr std::string_view kDeleteNo = "OOPS - no.";

    explicit WaypointDocument(DocumentServices services);
    ~WaypointDocument() override;

    // ExchangeDocument
    std::string_view typeName() const override;
    void addWP(WaypointPtr waypoint) override;
    void refresh() override;
    RoutePtr route() const override { return {}; }
    const WaypointList& waypointList() const override { return m_waypointList; }

    // Document
    std::optional<std::string> dataRepresentationOfType(std::string_view type, std::string& error) override;
    bool loadDataRepresentation(std::string_view data, std::string_view type, std::string& error) override;

    // The window has been made: observe the current position and ask for it.
    void windowControllerDidLoadNib(WaypointDocumentView& view);
    // The window closes: no more notifications, no more window.
    void windowWillClose();

    int currentIndex() const { return m_currentIndex; }
    WaypointPtr currentPos() const { return m_currentPos; }
    DocumentPtr openedForRoute() const { return m_openedForRoute.lock(); }
    // Enters the pick-list role for the route document (empty: leaves it).
    void setOpenedForRoute(const DocumentPtr& routeDocument);
    const std::optional<WaypointList>& nearestList() const { return m_nearestList; }

    FormState& form() { return m_form; }
    WaypointTableModel& wpTableModel() { return *m_wpTableModel; }
    WaypointTableModel& nearestTableModel() { return *m_nearestTableModel; }

    // Actions.
    void wpAdd();
    void wpEdit(std::optional<int> row);
    void wpDelete(std::optional<int> row);
    // Deletes the waypoints at these list indexes as one step, after the
    // usual question.
    void wpDeleteRows(std::vector<int> rows);
    void wpActivateSelect(std::optional<int> row);
    bool importKML();
    bool importGPX();
    // Adds a copy of the position as "MARK n" (one more than the highest
    // mark of the list), the time as its comment, as one undoable step;
    // returns the name given.
    std::string markPosition(const Waypoint& position, const std::string& time);
    void showNearest();
    void nearestActivateSelect(std::optional<int> row);
    void closeNearest();
    void lookupWPName();
    void detailAddUpd();
    void detailDelete();
    void detailActivateWP();
    void currentPosToLatLon();
    void updateWPComment();
    // senderTag 0: the decimal field changed; otherwise a degree, minute or
    // second field or the hemisphere pop-up.
    void updateWPLat(int senderTag);
    void updateWPLon(int senderTag);
    void changeAltUnits();
    void endDetailWindow();
    // The sheet has ended (by a button or closed by the user).
    void sheetDidEnd();
    void tableViewSelectionDidChange(Table table, bool hasSelection);
    // A cell edit of the waypoint table; false when nothing changed.
    bool setCellValue(int row, std::string_view column, std::string_view text);

    // "TRVcpUpdated", from any thread; the effect is applied on the
    // user-interface thread.
    void handleCPUpdate(const NotificationObject& object);

    // Rules of the detail sheet.
    bool readyForAddUpdate() const;
    void checkButtons();
    void clearFields(std::initializer_list<std::string_view> names);
    // The decimal field of a coordinate and its degree, minute and second
    // fields, which follow each other.
    struct CoordinateFields {
        CoordinateText::Axis axis;
        std::string_view decimal;
        std::string_view hemisphere;
        std::string_view degrees;
        std::string_view minutes;
        std::string_view seconds;
    };
    void updateCoordinate(int senderTag, const CoordinateFields& fields);
    void updateDetailUI();
    WaypointPtr addUpdateWithDetail();
    // addUpdateWithDetail as one undoable step.
    WaypointPtr recordDetailEdit();
    // Ascending distance from origin; equal distances keep their order,
    // waypoints without a position go last.
    static WaypointList sortedByDistance(const WaypointList& list, const Waypoint& origin);

protected:
    DocumentContent currentContent() const override;
    void restoreContent(const DocumentContent& content) override;

private:
    bool applyCellValue(Waypoint& waypoint, std::string_view column, std::string_view text);
    void openDetailPanel();
    void applyCurrentPos(WaypointPtr currentPos);
    void activate(const WaypointPtr& waypoint, bool checkGPS, bool bringRouteForward);
    void endPickListRole();
    void reloadTable();
    void setActivateTitles(bool hasSelection);

    DocumentServices m_services;
    WaypointList m_waypointList;
    int m_currentIndex = 0;
    WaypointPtr m_currentPos;
    bool m_currentPosOffered = false;
    std::weak_ptr<Document> m_openedForRoute;
    std::optional<WaypointList> m_nearestList;
    bool m_wpTableHasSelection = false;
    bool m_nearestHasSelection = false;

    FormState m_form;
    std::unique_ptr<WaypointTableModel> m_wpTableModel;
    std::unique_ptr<WaypointTableModel> m_nearestTableModel;
    WaypointDocumentView* m_view = nullptr;
    bool m_observing = false;
    // Last: pending hand-overs die before anything they use.
    std::unique_ptr<UiThread> m_uiThread;
};

} // namespace navora
