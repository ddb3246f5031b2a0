#include "documents/RouteDocument.h"

#include "core/UiThread.h"
#include "documents/CoordinateText.h"
#include "documents/DocumentFieldNames.h"
#include "documents/DocumentHost.h"
#include "documents/RouteDocumentView.h"
#include "documents/WaypointDocument.h"

#include "core/Log.h"
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"
#include "core/QtText.h"
#include "io/ImportController.h"
#include "model/DocumentArchive.h"
#include "model/DocumentTypes.h"
#include "nav/UnitSystem.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <functional>

namespace navora {

namespace {

std::string upper(const std::string& text)
{
    return QString::fromStdString(text).toUpper().toStdString();
}

} // namespace

RouteDocument::RouteDocument(DocumentServices services)
    : m_services(std::move(services))
    , m_route(Route::create())
    , m_routeTableModel(std::make_unique<WaypointTableModel>([this] { return &m_route->routeWaypoints(); }))
    , m_uiThread(std::make_unique<UiThread>())
{
    QStringList columns = WaypointTableModel::defaultColumns();
    columns.prepend("index");
    m_routeTableModel->setColumns(columns);
    m_routeTableModel->setComputedColumn(
        "legDistance", {[this] { return distanceTitle("Leg"); }, [this](int index) { return legDistanceText(index); }});
    m_routeTableModel->setComputedColumn(
        "legCourse", {[] { return QObject::tr("Course"); }, [this](int index) { return legCourseText(index); }});
    m_routeTableModel->setComputedColumn("totalDistance",
        {[this] { return distanceTitle("Total"); }, [this](int index) { return totalDistanceText(index); }});
    m_routeTableModel->setMover([this](int from, int to) { return routeMove(from, to); });
}

RouteDocument::~RouteDocument()
{
    m_services.center.removeObserver(this);
}

std::string_view RouteDocument::typeName() const
{
    return kRouteDocumentType.name;
}

std::string RouteDocument::displayName() const
{
    const auto& name = m_route->routeName();
    if (fileName().empty() && name && !name->empty())
        return *name;
    return Document::displayName();
}

void RouteDocument::addWP(WaypointPtr waypoint)
{
    if (waypoint)
        m_route->appendWaypoint(std::move(waypoint));
}

void RouteDocument::routeEdited()
{
    updateChangeCount(ChangeType::Done);
    tellNavigation();
}

void RouteDocument::tellNavigation()
{
    // Navigation follows its own copy of the active route; this tells it to
    // take a new one.
    m_services.center.post(TRVRouteEdited, m_route);
}

void RouteDocument::refresh()
{
    showRouteName();
    reloadTable();
    routeEdited();
    stateChanged();
}

std::optional<std::string> RouteDocument::dataRepresentationOfType(std::string_view, std::string& error)
{
    if (m_view)
        m_view->deselectAll();
    return DocumentArchive::encodeRoute(*m_route, error);
}

bool RouteDocument::loadDataRepresentation(std::string_view data, std::string_view, std::string& error)
{
    RoutePtr route = DocumentArchive::decodeRoute(data, error);
    if (!route)
        return false;
    // The sheet works on the route being replaced.
    if (m_view)
        m_view->closeDetailSheet();
    m_route = std::move(route);
    Log::format("loaded %s", m_route->description().c_str());
    showRouteName();
    // A route object fresh from the file is nobody's active route.
    applyRouteIsActive(nullptr);
    reloadTable();
    return true;
}

void RouteDocument::windowControllerDidLoadNib(RouteDocumentView& view)
{
    m_view = &view;
    if (!m_observing) {
        m_observing = true;
        m_services.center.addObserver(
            this, TRVRouteIsActive, [this](const NotificationObject& object) { handleRouteIsActive(object); });
        m_services.center.addObserver(
            this, TRVUnitsChanged, [this](const NotificationObject& object) { applyUnits(object); });
    }
    m_view->showRouteLock(m_locked);
    showRouteName();
    reloadTable();
}

void RouteDocument::windowWillClose()
{
    m_services.center.removeObserver(this);
    m_observing = false;
    m_observingPicks = false;
    m_view = nullptr;
}

void RouteDocument::routeAddInsert(std::optional<int> row)
{
    if (m_locked)
        return;
    if (rowInRoute(row)) {
        m_currentIndex = *row;
        m_actionMode = Insert;
        m_workingWP = m_route->waypointAtIndex(static_cast<size_t>(*row));
    } else {
        m_currentIndex = static_cast<int>(m_route->count());
        m_actionMode = Append;
    }
    openDetailPanel();
}

void RouteDocument::routeChange(std::optional<int> row)
{
    if (m_locked || !rowInRoute(row))
        return;
    m_actionMode = Change;
    m_currentIndex = *row;
    m_workingWP = m_route->waypointAtIndex(static_cast<size_t>(*row));
    openDetailPanel();
}

void RouteDocument::routeRemove(std::optional<int> row)
{
    if (m_locked || !row)
        return;
    m_currentIndex = *row;
    recordEdit(QObject::tr("Remove Waypoint"), [this, row] {
        if (m_route->deleteWaypointAtIndex(*row))
            routeEdited();
    });
    reloadTable();
}

void RouteDocument::routeRemoveRows(std::vector<int> rows)
{
    if (m_locked)
        return;
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    recordEdit(rows.size() == 1 ? QObject::tr("Remove Waypoint") : QObject::tr("Remove Waypoints"), [&] {
        bool removed = false;
        for (const int row : rows)
            removed = m_route->deleteWaypointAtIndex(row) || removed;
        if (removed)
            routeEdited();
    });
    reloadTable();
}

bool RouteDocument::routeMove(int from, int to)
{
    const auto count = static_cast<int>(m_route->count());
    if (m_locked || from < 0 || from >= count || to < 0 || to >= count || from == to)
        return false;
    recordEdit(QObject::tr("Move Waypoint"), [&] {
        WaypointList waypoints = m_route->routeWaypoints();
        WaypointPtr moved = waypoints[static_cast<size_t>(from)];
        waypoints.erase(waypoints.begin() + from);
        waypoints.insert(waypoints.begin() + to, std::move(moved));
        m_route->setRouteWaypoints(std::move(waypoints));
        routeEdited();
    });
    reloadTable();
    if (m_view)
        m_view->selectRow(to);
    return true;
}

void RouteDocument::routeMoveSelected(int step)
{
    if (m_selectedRow)
        routeMove(*m_selectedRow, *m_selectedRow + step);
}

void RouteDocument::routeClearAll()
{
    if (m_locked)
        return;
    recordEdit(QObject::tr("Clear Route"), [this] {
        m_route->clearAllWaypoints();
        routeEdited();
    });
    reloadTable();
}

void RouteDocument::routeDirectTo(std::optional<int> row)
{
    if (m_route->count() == 0)
        return;
    const int i = rowInRoute(row) ? *row : 0;
    m_currentIndex = i;
    m_route->setActiveIndex(i);
    routeRename();
    m_services.center.post(TRVCheckGPSRunning, NotificationObject::sentBy(static_cast<Document*>(this)));
    m_services.center.post(TRVRouteActivated, m_route);
    m_services.center.post(TRVWaypointActivated, m_route->waypointAtIndex(static_cast<size_t>(i)));
}

void RouteDocument::routeJoinSegment(std::optional<int> row)
{
    // A segment needs two waypoints (the button is disabled otherwise).
    if (m_route->count() < 2)
        return;
    int i = rowInRoute(row) ? *row : 0;
    if (i < 1)
        i = static_cast<int>(m_route->count());
    m_currentIndex = i;
    m_route->setActiveIndex(i);
    routeRename();
    m_services.center.post(TRVCheckGPSRunning, NotificationObject::sentBy(static_cast<Document*>(this)));
    m_services.center.post(TRVRouteActivated, m_route);
}

void RouteDocument::routeReverse()
{
    if (m_locked)
        return;
    const std::string name = m_form.text(field::routeName);
    recordEdit(QObject::tr("Reverse Route"), [&] {
        m_route->reverseRoute();
        m_form.setText(field::routeName, reversedName(name));
        renameFromField();
        routeEdited();
    });
    reloadTable();
}

std::string RouteDocument::reversedName(const std::string& name)
{
    if (name.size() > 9 && name.ends_with(kReverseSuffix))
        return name.substr(0, name.size() - kReverseSuffix.size());
    return name + std::string(kReverseSuffix);
}

void RouteDocument::routeRename()
{
    recordEdit(QObject::tr("Rename Route"), [this] { renameFromField(); });
}

void RouteDocument::renameFromField()
{
    std::string text = m_form.text(field::routeName);
    const auto& name = m_route->routeName();
    // An unnamed route stays unnamed while the field is empty.
    if (name ? *name == text : text.empty())
        return;
    m_route->setRouteName(std::move(text));
    routeEdited();
    stateChanged();
}

bool RouteDocument::importKML()
{
    if (m_locked)
        return false;
    DocumentHost& host = m_services.host;
    ImportController importer(host, [&host](std::string_view extension) { return host.chooseFileToOpen(extension); });
    bool imported = false;
    recordEdit(QObject::tr("Import KML"), [&] {
        imported = importer.importKMLforDocument(*this, true);
        if (imported)
            routeEdited();
    });
    if (!imported)
        return false;
    Log::line("Import complete");
    showRouteName();
    reloadTable();
    return true;
}

void RouteDocument::wpPickList()
{
    DocumentHost& host = m_services.host;
    std::shared_ptr<WaypointDocument> list;
    for (ExchangeDocument* document : host.documents()) {
        if (document->typeName() == kWaypointsDocumentType.name) {
            auto* waypointDocument = static_cast<WaypointDocument*>(document);
            list = std::static_pointer_cast<WaypointDocument>(waypointDocument->shared_from_this());
        }
    }
    if (!list) {
        const std::optional<std::string> path = host.chooseFileToOpen(kWaypointsDocumentType.extension);
        if (!path)
            return;
        if (path->empty() || path->front() != '/') {
            Log::format("Can't create an URL from file %s.", path->c_str());
            return;
        }
        std::string error;
        const DocumentPtr opened = host.openDocumentWithContentsOfFile(*path, true, error);
        if (!opened || opened->typeName() != kWaypointsDocumentType.name) {
            Log::format("Error opening waypoint document: %s", error.empty() ? path->c_str() : error.c_str());
            return;
        }
        if (!error.empty())
            Log::format("Error opening waypoint document: %s", error.c_str());
        list = std::static_pointer_cast<WaypointDocument>(opened);
    }
    if (!m_observingPicks) {
        m_observingPicks = true;
        m_services.center.addObserver(
            this, TRVRouteWaypointSelected, [this](const NotificationObject& object) { handleWPSelected(object); });
    }
    m_pickList = list;
    list->setOpenedForRoute(shared_from_this());
    host.showDocument(*list);
}

void RouteDocument::handleWPSelected(const NotificationObject& object)
{
    // Only a pick made for this document: another route document may have
    // taken over the same list since.
    const std::shared_ptr<WaypointDocument> list = m_pickList.lock();
    if (!list || list->openedForRoute().get() != this)
        return;
    m_pickList.reset();
    m_workingWP = object.waypoint();
    updateDetailUI();
}

void RouteDocument::lookupWPName()
{
    const std::string typed = m_form.text(field::wpName);
    const std::string key = upper(typed);
    WaypointPtr found;
    for (const ExchangeDocument* document : m_services.host.documents()) {
        if (document->typeName() != kWaypointsDocumentType.name)
            continue;
        for (const WaypointPtr& waypoint : document->waypointList()) {
            if (upper(waypoint->wpName()) == key) {
                found = waypoint;
                break;
            }
        }
    }
    const bool notFound = !found && !typed.empty();
    updateDetailWithWP(std::move(found));
    if (notFound) {
        Log::format("No waypoint named %s in the open waypoint lists", typed.c_str());
        m_form.setText(field::wpBox,
            QObject::tr("No waypoint \u201c%1\u201d in the open lists: type another name or Pick from List")
                .arg(QString::fromStdString(typed))
                .toStdString());
    }
}

void RouteDocument::selectLatLonFormat(int tag)
{
    m_latLonFormat = tag;
    updateDetailUI();
}

void RouteDocument::detailAddInsertChangeWP()
{
    if (!m_workingWP || m_locked)
        return;
    const QString names[]
        = {QObject::tr("Add Waypoint"), QObject::tr("Insert Waypoint"), QObject::tr("Change Waypoint")};
    recordEdit(names[std::clamp(m_actionMode, 1, 3) - 1], [this] {
        switch (m_actionMode) {
        case Insert:
            m_route->insertWaypoint(m_workingWP, m_currentIndex);
            break;
        case Change:
            m_route->replaceWaypointAtIndex(m_currentIndex, m_workingWP);
            break;
        case Append:
            m_route->appendWaypoint(m_workingWP);
            break;
        default:
            break;
        }
        routeEdited();
    });
    endDetailWindow();
}

void RouteDocument::endDetailWindow()
{
    if (m_view)
        m_view->closeDetailSheet();
}

void RouteDocument::sheetDidEnd()
{
    reloadTable();
}

void RouteDocument::tableViewSelectionDidChange(std::optional<int> row)
{
    m_selectedRow = rowInRoute(row) ? row : std::nullopt;
    updateButtons();
}

void RouteDocument::updateDetailWithWP(WaypointPtr waypoint)
{
    m_workingWP = std::move(waypoint);
    updateDetailUI();
}

void RouteDocument::updateDetailUI()
{
    using Axis = CoordinateText::Axis;
    m_form.setText(field::wpBox, QString("Waypoint #%1").arg(m_currentIndex).toStdString());
    if (!m_workingWP) {
        m_form.setText(field::wpLatitude, {});
        m_form.setText(field::wpLongitude, {});
        m_form.setText(field::wpComment, {});
        m_form.setEnabled(field::detailAddInsertChangeButton, false);
        return;
    }
    const WaypointSnapshot waypoint = m_workingWP->snapshot();
    m_form.setText(field::wpName, waypoint.wpName);
    m_form.setText(field::wpComment, waypoint.wpComment);
    if (const auto latitude = CoordinateText::display(waypoint.latitude, Axis::Latitude, m_latLonFormat))
        m_form.setText(field::wpLatitude, *latitude);
    if (const auto longitude = CoordinateText::display(waypoint.longitude, Axis::Longitude, m_latLonFormat))
        m_form.setText(field::wpLongitude, *longitude);
    switch (m_actionMode) {
    case Append:
        m_form.setText(field::detailAddInsertChangeButton, "Add");
        break;
    case Insert:
        m_form.setText(field::detailAddInsertChangeButton, "Insert");
        break;
    case Change:
        m_form.setText(field::detailAddInsertChangeButton, "Change");
        break;
    default:
        break;
    }
    m_form.setEnabled(field::detailAddInsertChangeButton, true);
}

void RouteDocument::handleRouteIsActive(const NotificationObject& object)
{
    m_uiThread->run([this, activeRoute = object.route()] { applyRouteIsActive(activeRoute); });
}

void RouteDocument::openDetailPanel()
{
    if (m_view)
        m_view->openDetailSheet();
    updateDetailWithWP(m_workingWP);
}

void RouteDocument::reloadTable()
{
    m_legs = RouteLegs::of(m_route->routeWaypoints());
    m_routeTableModel->reload();
    // A reload drops the table's selection.
    m_selectedRow.reset();
    updateButtons();
}

DocumentContent RouteDocument::currentContent() const
{
    return {m_route->routeWaypoints(), {}, m_route->routeName()};
}

void RouteDocument::restoreContent(const DocumentContent& content)
{
    // The sheet works on the content being replaced.
    if (m_view)
        m_view->closeDetailSheet();
    if (content.waypoints)
        m_route->setRouteWaypoints(*content.waypoints);
    m_route->setRouteName(content.routeName);
    showRouteName();
    reloadTable();
    tellNavigation();
    stateChanged();
}

void RouteDocument::applyRouteIsActive(const RoutePtr& activeRoute)
{
    const bool wasLocked = m_locked;
    m_locked = activeRoute && activeRoute == m_route;
    if (m_view)
        m_view->showRouteLock(m_locked);
    m_form.setEnabled(field::routeReverseButton, !m_locked);
    m_form.setEnabled(field::routeAddInsertButton, !m_locked);
    m_form.setEnabled(field::routeClearAllButton, !m_locked);
    updateButtons();
    if (wasLocked != m_locked)
        stateChanged();
}

void RouteDocument::updateButtons()
{
    const size_t count = m_route->count();
    const bool unlocked = !m_locked;
    m_form.setEnabled(field::routeJoinSegmentButton, count > 1 && unlocked);
    m_form.setEnabled(field::routeReverseButton, count > 1 && unlocked);
    m_form.setEnabled(field::routeAddInsertButton, unlocked);
    m_form.setEnabled(field::routeClearAllButton, unlocked);

    const bool selected = m_selectedRow.has_value();
    m_form.setEnabled(field::routeChangeButton, selected && unlocked);
    m_form.setEnabled(field::routeRemoveButton, selected && unlocked);
    m_form.setEnabled(field::routeDirectToButton, selected);
    m_form.setEnabled(field::routeMoveUpButton, selected && unlocked && *m_selectedRow > 0);
    m_form.setEnabled(
        field::routeMoveDownButton, selected && unlocked && static_cast<size_t>(*m_selectedRow) + 1 < count);
    m_form.setText(field::routeAddInsertButton, selected ? "Insert" : "Add");
    if (selected && *m_selectedRow > 0) {
        const auto r = static_cast<size_t>(*m_selectedRow);
        m_form.setText(field::routeJoinSegmentButton,
            QString("Join segment %1 to %2")
                .arg(QString::fromStdString(m_route->waypointAtIndex(r - 1)->wpName()),
                    QString::fromStdString(m_route->waypointAtIndex(r)->wpName()))
                .toStdString());
    } else {
        m_form.setText(field::routeJoinSegmentButton, "Auto-join nearest route segment");
    }
}

bool RouteDocument::rowInRoute(std::optional<int> row) const
{
    return row && *row >= 0 && static_cast<size_t>(*row) < m_route->count();
}

void RouteDocument::applyUnits(const NotificationObject&)
{
    // The setting has the new choice already.
    m_routeTableModel->redraw();
}

const UnitSystem& RouteDocument::units() const
{
    const UnitSystem* chosen = m_services.unitsCode ? UnitSystem::forCode(m_services.unitsCode()) : nullptr;
    return chosen ? *chosen : *UnitSystem::forCode('n');
}

QString RouteDocument::distanceTitle(const char* what) const
{
    return QStringLiteral("%1 (%2)").arg(QObject::tr(what), toQString(units().dst_units));
}

QString RouteDocument::distanceText(float nauticalMiles) const
{
    // Hundredths of a mile or kilometre; whole metres.
    const int decimals = units().dstconv >= 100.0 ? 0 : 2;
    return QString::number(static_cast<double>(nauticalMiles) * units().dstconv, 'f', decimals);
}

QString RouteDocument::legDistanceText(int index) const
{
    const auto i = static_cast<size_t>(index);
    if (i >= m_legs.size() || std::isnan(m_legs[i].distanceNm))
        return {};
    return distanceText(m_legs[i].distanceNm);
}

QString RouteDocument::legCourseText(int index) const
{
    const auto i = static_cast<size_t>(index);
    if (i >= m_legs.size() || std::isnan(m_legs[i].courseTrue))
        return {};
    // Whole degrees, 000 to 359, marked true.
    const int degrees = static_cast<int>(std::lround(m_legs[i].courseTrue)) % 360;
    return QStringLiteral("%1\u00B0T").arg(degrees, 3, 10, QLatin1Char('0'));
}

QString RouteDocument::totalDistanceText(int index) const
{
    const auto i = static_cast<size_t>(index);
    if (i >= m_legs.size())
        return {};
    return distanceText(m_legs[i].totalNm);
}

void RouteDocument::showRouteName()
{
    m_form.setText(field::routeName, m_route->routeName().value_or(std::string()));
}

} // namespace navora
