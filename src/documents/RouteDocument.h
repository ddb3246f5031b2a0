#pragma once

#include "documents/Document.h"
#include "documents/DocumentServices.h"
#include "documents/FormState.h"
#include "documents/WaypointTableModel.h"
#include "model/RouteLegs.h"

#include <memory>
#include <optional>
#include <vector>

namespace navora {

class RouteDocumentView;
struct UnitSystem;
class UiThread;
class WaypointDocument;

// The route document ("Navora Route File", .nvr): a route built from the
// waypoints of the open waypoint lists (by name or from a pick list), edited,
// reversed, renamed, and handed to navigation by direct-to or segment join.
// While its route is the active one its editing is locked. The logic lives
// here, without widgets; the actions take the selected row (nullopt for
// none) as an argument.
class RouteDocument : public Document {
public:
    enum ActionMode { Append = 1, Insert = 2, Change = 3 };

    static constexpr std::string_view kReverseSuffix = " (REVERSE)";

    explicit RouteDocument(DocumentServices services);
    ~RouteDocument() override;

    // ExchangeDocument
    std::string_view typeName() const override;
    // While untitled, the route's name when it has a non-empty one.
    std::string displayName() const override;
    void addWP(WaypointPtr waypoint) override;
    void refresh() override;
    RoutePtr route() const override { return m_route; }
    const WaypointList& waypointList() const override { return m_route->routeWaypoints(); }

    // Document
    std::optional<std::string> dataRepresentationOfType(std::string_view type, std::string& error) override;
    bool loadDataRepresentation(std::string_view data, std::string_view type, std::string& error) override;

    // The window has been made: observe route activations, show the route.
    void windowControllerDidLoadNib(RouteDocumentView& view);
    void windowWillClose();

    const WaypointPtr& workingWP() const { return m_workingWP; }
    int currentIndex() const { return m_currentIndex; }
    bool routeLocked() const { return m_locked; }
    bool editingLocked() const override { return m_locked; }

    FormState& form() { return m_form; }
    WaypointTableModel& routeTableModel() { return *m_routeTableModel; }

    // Actions.
    void routeAddInsert(std::optional<int> row);
    void routeChange(std::optional<int> row);
    void routeRemove(std::optional<int> row);
    // Removes the waypoints at these rows as one step.
    void routeRemoveRows(std::vector<int> rows);
    // Moves the waypoint at `from` to `to` (both rows of the route); false
    // when it cannot.
    bool routeMove(int from, int to);
    void routeClearAll();
    void routeDirectTo(std::optional<int> row);
    void routeJoinSegment(std::optional<int> row);
    void routeReverse();
    // Moves the selected waypoint one place up (-1) or down (+1).
    void routeMoveSelected(int step);
    // The route takes the name in the routeName field.
    void routeRename();
    bool importKML();
    void wpPickList();
    void lookupWPName();
    void selectLatLonFormat(int tag);
    void detailAddInsertChangeWP();
    void endDetailWindow();
    void sheetDidEnd();
    void tableViewSelectionDidChange(std::optional<int> row);
    void updateDetailWithWP(WaypointPtr waypoint);
    void updateDetailUI();

    // "TRVRouteIsActive", from any thread; applied on the user-interface
    // thread.
    void handleRouteIsActive(const NotificationObject& object);
    // "TRVRouteWaypointSelected" from the pick list this document opened.
    void handleWPSelected(const NotificationObject& object);

    // " (REVERSE)" added, or taken off when the name ends with it.
    static std::string reversedName(const std::string& name);

protected:
    DocumentContent currentContent() const override;
    void restoreContent(const DocumentContent& content) override;

private:
    void renameFromField();
    // Marks the document edited and tells navigation of the change.
    void routeEdited();
    void tellNavigation();
    void openDetailPanel();
    void reloadTable();
    void applyRouteIsActive(const RoutePtr& activeRoute);
    void updateButtons();
    bool rowInRoute(std::optional<int> row) const;
    void applyUnits(const NotificationObject& object);
    // The "Units" setting's system (nautical without one).
    const UnitSystem& units() const;
    // The planning figures in the chosen units.
    QString legDistanceText(int index) const;
    QString legCourseText(int index) const;
    QString totalDistanceText(int index) const;
    QString distanceTitle(const char* what) const;
    QString distanceText(float nauticalMiles) const;
    void showRouteName();

    DocumentServices m_services;
    RoutePtr m_route;
    std::vector<RouteLegs::Leg> m_legs;
    WaypointPtr m_workingWP;
    int m_currentIndex = 0;
    int m_actionMode = Append;
    bool m_locked = false;
    int m_latLonFormat = 1;
    std::optional<int> m_selectedRow;
    std::weak_ptr<WaypointDocument> m_pickList;
    bool m_observingPicks = false;

    FormState m_form;
    std::unique_ptr<WaypointTableModel> m_routeTableModel;
    RouteDocumentView* m_view = nullptr;
    bool m_observing = false;
    // Last: pending hand-overs die before anything they use.
    std::unique_ptr<UiThread> m_uiThread;
};

} // namespace navora
