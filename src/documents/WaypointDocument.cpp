#include "documents/WaypointDocument.h"

#include "core/UiThread.h"
#include "documents/CoordinateText.h"
#include "documents/DocumentFieldNames.h"
#include "documents/DocumentHost.h"
#include "documents/FieldText.h"
#include "documents/WaypointDocumentView.h"
#include "nav/UnitSystem.h"

#include "core/Log.h"
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"
#include "core/QtText.h"
#include "io/ImportController.h"
#include "io/WaypointListOrder.h"
#include "model/DocumentArchive.h"
#include "model/DocumentTypes.h"
#include "model/GeodesicOrigin.h"
#include "model/NumberText.h"

#include <QString>
#include <QTime>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <system_error>
#include <thread>
#include <utility>

namespace navora {

namespace {

constexpr std::string_view kActivateTitle = "Activate";
constexpr std::string_view kSelectTitle = "Select";

// A typed coordinate field, or none while it does not read as one.
std::optional<float> coordinateOf(const FormState& form, std::string_view name, CoordinateText::Axis axis)
{
    const std::optional<double> value = CoordinateText::read(form.text(name), axis);
    if (!value)
        return std::nullopt;
    return static_cast<float>(*value);
}

// An altitude as typed: a number with a full stop or a decimal comma.
std::optional<float> altitudeOf(std::string text)
{
    std::replace(text.begin(), text.end(), ',', '.');
    const std::optional<double> value = NumberText::readExactly(text);
    if (!value || std::abs(*value) > std::numeric_limits<float>::max())
        return std::nullopt;
    return static_cast<float>(*value);
}

char hemisphereOf(const FormState& form, std::string_view name, char positive)
{
    const std::string text = form.text(name);
    return text.empty() ? positive : text.front();
}

// Runs work(begin, end) over [0, count) in shares, one a processor (up to
// four) for long lists: the distances of a long nearest list are nearly all
// the work, and copying the shared waypoints is most of the rest.
void inShares(size_t count, const std::function<void(size_t, size_t)>& work)
{
    constexpr size_t kLeastShare = 8192;
    const size_t shares = std::min<size_t>(
        {std::max(1U, std::thread::hardware_concurrency()), 4, (count + kLeastShare - 1) / kLeastShare});
    if (shares <= 1) {
        work(0, count);
        return;
    }
    const size_t share = (count + shares - 1) / shares;
    std::vector<std::jthread> helpers;
    for (size_t begin = share; begin < count; begin += share) {
        const size_t end = std::min(count, begin + share);
        try {
            helpers.emplace_back(work, begin, end);
        } catch (const std::system_error&) {
            work(begin, end); // no thread to be had: this one does it
        }
    }
    work(0, std::min(count, share));
}

// A stable radix sort on the upper 32 bits of each key, sixteen bits a pass:
// keys equal there keep the order they came in.
void sortByUpperHalf(std::vector<uint64_t>& keys)
{
    std::vector<uint64_t> moved(keys.size());
    std::vector<size_t> start(size_t{1} << 16);
    for (const int shift : {32, 48}) {
        std::fill(start.begin(), start.end(), 0);
        for (const uint64_t key : keys)
            ++start[(key >> shift) & 0xffffU];
        size_t next = 0;
        for (size_t& bucket : start)
            next += std::exchange(bucket, next);
        for (const uint64_t key : keys)
            moved[start[(key >> shift) & 0xffffU]++] = key;
        keys.swap(moved);
    }
}

} // namespace

WaypointDocument::WaypointDocument(DocumentServices services)
    : m_services(std::move(services))
    , m_wpTableModel(std::make_unique<WaypointTableModel>([this] { return &m_waypointList; }))
    , m_nearestTableModel(std::make_unique<WaypointTableModel>(
          [this]() -> const WaypointList* { return m_nearestList ? &*m_nearestList : nullptr; }))
    , m_uiThread(std::make_unique<UiThread>())
{
    m_wpTableModel->setEditor([this](int row, const QString& column, const QString& text) {
        return setCellValue(row, column.toStdString(), text.toStdString());
    });
    QStringList nearestColumns = WaypointTableModel::defaultColumns();
    nearestColumns.insert(1, "distance");
    m_nearestTableModel->setColumns(nearestColumns);
}

WaypointDocument::~WaypointDocument()
{
    m_services.center.removeObserver(this);
}

std::string_view WaypointDocument::typeName() const
{
    return kWaypointsDocumentType.name;
}

void WaypointDocument::addWP(WaypointPtr waypoint)
{
    if (waypoint)
        m_waypointList.push_back(std::move(waypoint));
}

void WaypointDocument::refresh()
{
    WaypointListOrder::tidyAfterImport(m_waypointList);
    reloadTable();
    updateChangeCount(ChangeType::Done);
}

std::optional<std::string> WaypointDocument::dataRepresentationOfType(std::string_view, std::string& error)
{
    if (m_view)
        m_view->deselectAll();
    return DocumentArchive::encodeWaypointList(m_waypointList, error);
}

bool WaypointDocument::loadDataRepresentation(std::string_view data, std::string_view, std::string& error)
{
    std::optional<WaypointList> list = DocumentArchive::decodeWaypointList(data, error);
    if (!list)
        return false;
    // The sheet and the nearest panel work on the list being replaced.
    if (m_view) {
        m_view->closeDetailSheet();
        m_view->closeNearestPanel();
    }
    m_nearestList.reset();
    m_nearestTableModel->reload();
    m_waypointList = std::move(*list);
    reloadTable();
    return true;
}

void WaypointDocument::windowControllerDidLoadNib(WaypointDocumentView& view)
{
    m_view = &view;
    m_form.setEnabled(field::wpEditButton, false);
    m_form.setEnabled(field::wpDeleteButton, false);
    m_form.setEnabled(field::wpActivateButton, false);
    m_form.setEnabled(field::showNearestButton, false);
    m_form.setEnabled(field::detailCurrentPosButton, false);
    m_form.setEnabled(field::nearestActivateButton, false);
    if (!m_observing) {
        m_observing = true;
        m_services.center.addObserver(
            this, TRVcpUpdated, [this](const NotificationObject& object) { handleCPUpdate(object); });
    }
    m_services.center.post(TRVWDneedsCP, NotificationObject::sentBy(static_cast<Document*>(this)));
    reloadTable();
}

void WaypointDocument::windowWillClose()
{
    m_services.center.removeObserver(this);
    m_observing = false;
    m_view = nullptr;
}

void WaypointDocument::setOpenedForRoute(const DocumentPtr& routeDocument)
{
    m_openedForRoute = routeDocument;
    setActivateTitles(m_wpTableHasSelection);
}

void WaypointDocument::wpAdd()
{
    m_currentIndex = static_cast<int>(m_waypointList.size());
    openDetailPanel();
}

void WaypointDocument::wpEdit(std::optional<int> row)
{
    if (!row || *row < 0 || static_cast<size_t>(*row) >= m_waypointList.size())
        return;
    m_currentIndex = *row;
    openDetailPanel();
}

void WaypointDocument::wpDelete(std::optional<int> row)
{
    if (!row || *row < 0 || static_cast<size_t>(*row) >= m_waypointList.size())
        return;
    wpEdit(row);
    detailDelete();
}

void WaypointDocument::wpActivateSelect(std::optional<int> row)
{
    if (!row || *row < 0 || static_cast<size_t>(*row) >= m_waypointList.size())
        return;
    activate(m_waypointList[static_cast<size_t>(*row)], true, true);
}

bool WaypointDocument::importKML()
{
    DocumentHost& host = m_services.host;
    ImportController importer(host, [&host](std::string_view extension) { return host.chooseFileToOpen(extension); });
    bool imported = false;
    recordEdit(QObject::tr("Import KML"), [&] { imported = importer.importKMLforDocument(*this, false); });
    return imported;
}

bool WaypointDocument::importGPX()
{
    DocumentHost& host = m_services.host;
    ImportController importer(host, [&host](std::string_view extension) { return host.chooseFileToOpen(extension); });
    bool imported = false;
    recordEdit(QObject::tr("Import GPX"), [&] { imported = importer.importGPXforDocument(*this, false); });
    return imported;
}

std::string WaypointDocument::markPosition(const Waypoint& position, const std::string& time)
{
    static constexpr std::string_view kMark = "MARK ";
    int highest = 0;
    for (const WaypointPtr& waypoint : m_waypointList) {
        const std::string name = waypoint->wpName();
        if (name.starts_with(kMark)) {
            if (const auto number = NumberText::readExactly(name.substr(kMark.size())))
                highest = std::max(highest, static_cast<int>(std::clamp(*number, 0.0, 1e6)));
        }
    }
    const std::string name = std::string(kMark) + std::to_string(highest + 1);
    const WaypointSnapshot at = position.snapshot();
    recordEdit(QObject::tr("Mark Position"), [&] {
        m_waypointList.push_back(Waypoint::create(name, time, at.latitude, at.longitude, at.altitude));
        WaypointListOrder::sortByName(m_waypointList);
    });
    reloadTable();
    return name;
}

void WaypointDocument::showNearest()
{
    // Distances in the unit system the user chose, nautical miles without one.
    const UnitSystem* units = m_services.unitsCode ? UnitSystem::forCode(m_services.unitsCode()) : nullptr;
    m_nearestTableModel->setDistanceUnits(units ? *units : *UnitSystem::forCode('n'));
    m_nearestList.reset();
    if (m_currentPos && m_currentPosOffered) {
        m_nearestList = sortedByDistance(m_waypointList, *m_currentPos);
        if (m_view)
            m_view->openNearestPanel();
    }
    m_nearestTableModel->reload();
    m_nearestHasSelection = false;
    m_form.setEnabled(field::nearestActivateButton, false);
}

void WaypointDocument::nearestActivateSelect(std::optional<int> row)
{
    if (!m_nearestList || !row || *row < 0 || static_cast<size_t>(*row) >= m_nearestList->size())
        return;
    const WaypointPtr waypoint = (*m_nearestList)[static_cast<size_t>(*row)];
    activate(waypoint, false, true);
    closeNearest();
}

void WaypointDocument::closeNearest()
{
    if (m_view)
        m_view->closeNearestPanel();
}

void WaypointDocument::lookupWPName()
{
    const std::string name = m_form.text(field::wpName);
    const auto it = std::find_if(m_waypointList.begin(), m_waypointList.end(),
        [&name](const WaypointPtr& waypoint) { return waypoint->wpName() == name; });
    if (it != m_waypointList.end()) {
        m_currentIndex = static_cast<int>(it - m_waypointList.begin());
        updateDetailUI();
    } else {
        m_currentIndex = static_cast<int>(m_waypointList.size());
        m_form.setText(field::wpBox, "New waypoint");
        m_form.setText(field::detailAddUpdButton, "Add");
        m_form.setEnabled(field::detailDeleteButton, false);
    }
    checkButtons();
}

void WaypointDocument::detailAddUpd()
{
    if (!readyForAddUpdate())
        return;
    recordDetailEdit();
    endDetailWindow();
}

void WaypointDocument::detailDelete()
{
    if (m_currentIndex < 0 || static_cast<size_t>(m_currentIndex) >= m_waypointList.size() || !m_view)
        return;
    const std::string name = m_waypointList[static_cast<size_t>(m_currentIndex)]->wpName();
    const std::string message = toQString(kDeleteMessage).arg(QString::fromStdString(name)).toStdString();
    if (!m_view->askQuestion(std::string(kDeleteTitle), message, std::string(kDeleteYes), std::string(kDeleteNo)))
        return;
    // The question ran an event loop: the list may have changed under it.
    if (!m_view || static_cast<size_t>(m_currentIndex) >= m_waypointList.size())
        return;
    recordEdit(
        QObject::tr("Delete Waypoint"), [this] { m_waypointList.erase(m_waypointList.begin() + m_currentIndex); });
    reloadTable();
    m_currentIndex = static_cast<int>(m_waypointList.size());
    updateDetailUI();
}

void WaypointDocument::wpDeleteRows(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::erase_if(rows, [this](int row) { return row < 0 || static_cast<size_t>(row) >= m_waypointList.size(); });
    if (rows.empty() || !m_view)
        return;
    const QString message = rows.size() == 1
        ? toQString(kDeleteMessage).arg(QString::fromStdString(m_waypointList[static_cast<size_t>(rows[0])]->wpName()))
        : QObject::tr("Really delete %1 waypoints?").arg(rows.size());
    if (!m_view->askQuestion(
            std::string(kDeleteTitle), message.toStdString(), std::string(kDeleteYes), std::string(kDeleteNo)))
        return;
    // The question ran an event loop: delete the waypoints that were asked
    // about, wherever they are now.
    std::vector<const Waypoint*> asked;
    for (const int row : rows) {
        if (static_cast<size_t>(row) < m_waypointList.size())
            asked.push_back(m_waypointList[static_cast<size_t>(row)].get());
    }
    recordEdit(rows.size() == 1 ? QObject::tr("Delete Waypoint") : QObject::tr("Delete Waypoints"), [&] {
        std::erase_if(m_waypointList, [&asked](const WaypointPtr& waypoint) {
            return std::find(asked.begin(), asked.end(), waypoint.get()) != asked.end();
        });
    });
    reloadTable();
}

void WaypointDocument::detailActivateWP()
{
    if (!readyForAddUpdate())
        return;
    const WaypointPtr waypoint = recordDetailEdit();
    activate(waypoint, false, false);
    endDetailWindow();
}

void WaypointDocument::currentPosToLatLon()
{
    if (!m_currentPos || !m_currentPosOffered) {
        m_form.setEnabled(field::detailCurrentPosButton, false);
        return;
    }
    const WaypointSnapshot position = m_currentPos->snapshot();
    m_form.setText(field::wpLatitude, FieldText::fromFloat(position.latitude));
    m_form.setText(field::wpLongitude, FieldText::fromFloat(position.longitude));
    m_form.setText(field::wpAltitude, FieldText::fromFloat(position.altitude));
    m_form.setText(field::wpComment, position.wpComment);
    updateWPLat(0);
    updateWPLon(0);
}

void WaypointDocument::updateWPComment()
{
    checkButtons();
}

void WaypointDocument::updateWPLat(int senderTag)
{
    updateCoordinate(senderTag,
        {CoordinateText::Axis::Latitude, field::wpLatitude, field::wpNS, field::wpLatDeg, field::wpLatMin,
            field::wpLatSec});
}

void WaypointDocument::updateWPLon(int senderTag)
{
    updateCoordinate(senderTag,
        {CoordinateText::Axis::Longitude, field::wpLongitude, field::wpEW, field::wpLonDeg, field::wpLonMin,
            field::wpLonSec});
}

void WaypointDocument::updateCoordinate(int senderTag, const CoordinateFields& fields)
{
    if (senderTag == 0) {
        // The degree fields follow the decimal field while it reads, and are
        // emptied with it.
        const std::optional<float> value = coordinateOf(m_form, fields.decimal, fields.axis);
        if (value) {
            const auto dms = CoordinateText::dmsFromDecimal(*value, fields.axis);
            m_form.setText(fields.hemisphere, std::string(1, dms.hemisphere));
            m_form.setText(fields.degrees, FieldText::fromInt(dms.degrees));
            m_form.setText(fields.minutes, FieldText::fromInt(dms.minutes));
            m_form.setText(fields.seconds, FieldText::fromFloat(dms.seconds));
        } else if (m_form.text(fields.decimal).empty()) {
            clearFields({fields.degrees, fields.minutes, fields.seconds});
        }
    } else if (const auto value = CoordinateText::decimalFromDmsText(m_form.text(fields.degrees),
                   m_form.text(fields.minutes), m_form.text(fields.seconds),
                   hemisphereOf(m_form, fields.hemisphere, CoordinateText::hemisphereLetter(fields.axis, true)),
                   fields.axis)) {
        m_form.setText(fields.decimal, FieldText::fromFloat(*value));
    }
    checkButtons();
}

void WaypointDocument::changeAltUnits()
{
    // The altitude is stored as typed; the unit pop-up converts nothing.
}

void WaypointDocument::endDetailWindow()
{
    if (m_view)
        m_view->closeDetailSheet();
}

void WaypointDocument::sheetDidEnd()
{
    reloadTable();
}

void WaypointDocument::tableViewSelectionDidChange(Table table, bool hasSelection)
{
    if (table == Table::Nearest) {
        m_nearestHasSelection = hasSelection;
        m_form.setEnabled(field::nearestActivateButton, hasSelection);
    } else {
        m_wpTableHasSelection = hasSelection;
        m_form.setEnabled(field::wpEditButton, hasSelection);
        m_form.setEnabled(field::wpDeleteButton, hasSelection);
        m_form.setEnabled(field::wpActivateButton, hasSelection);
    }
    setActivateTitles(hasSelection);
}

bool WaypointDocument::setCellValue(int row, std::string_view column, std::string_view text)
{
    if (row < 0 || static_cast<size_t>(row) >= m_waypointList.size())
        return false;
    bool changed = false;
    const WaypointPtr waypoint = m_waypointList[static_cast<size_t>(row)];
    recordEdit(QObject::tr("Edit %1").arg(WaypointTableModel::columnTitle(toQString(column))),
        [&] { changed = applyCellValue(*waypoint, column, text); }, {waypoint});
    return changed;
}

bool WaypointDocument::applyCellValue(Waypoint& waypoint, std::string_view column, std::string_view text)
{
    using Axis = CoordinateText::Axis;
    // A number cell keeps its value unless the text reads as a new one.
    const auto refuse = [this, text](std::string_view what) {
        if (m_view)
            m_view->tell(
                "Not changed", std::string(1, '"').append(text).append("\" is not ").append(what).append(1, '.'));
        return false;
    };
    if (column == "wpName") {
        waypoint.setWpName(std::string(text));
    } else if (column == "wpComment") {
        waypoint.setWpComment(std::string(text));
    } else if (column == "latitude" || column == "longitude") {
        const Axis axis = column == "latitude" ? Axis::Latitude : Axis::Longitude;
        const std::optional<double> value = CoordinateText::read(text, axis);
        if (!value)
            return refuse(axis == Axis::Latitude ? "a latitude (-90 to 90, as 47.5412, 47° 32.47' N or 47 32 28 N)"
                                                 : "a longitude (-180 to 180, as -9.68, 9° 40.8' W or 9 40 48 W)");
        if (axis == Axis::Latitude)
            waypoint.setLatitude(static_cast<float>(*value));
        else
            waypoint.setLongitude(static_cast<float>(*value));
    } else if (column == "altitude") {
        const std::optional<float> value = altitudeOf(std::string(text));
        if (!value)
            return refuse("an altitude");
        waypoint.setAltitude(*value);
    } else {
        return false;
    }
    return true;
}

void WaypointDocument::handleCPUpdate(const NotificationObject& object)
{
    // Asked on the posting thread, while the sender is sure to exist.
    WaypointPtr currentPos = m_services.currentPosOf ? m_services.currentPosOf(object) : object.waypoint();
    m_uiThread->run([this, currentPos = std::move(currentPos)]() mutable { applyCurrentPos(std::move(currentPos)); });
}

bool WaypointDocument::readyForAddUpdate() const
{
    if (m_form.text(field::wpLatitude).empty() || m_form.text(field::wpLongitude).empty()
        || m_form.text(field::wpName).empty())
        return false;
    const bool altitudeReads = m_form.text(field::wpAltitude).empty() || altitudeOf(m_form.text(field::wpAltitude));
    return coordinateOf(m_form, field::wpLatitude, CoordinateText::Axis::Latitude)
        && coordinateOf(m_form, field::wpLongitude, CoordinateText::Axis::Longitude) && altitudeReads;
}

void WaypointDocument::checkButtons()
{
    const bool ready = readyForAddUpdate();
    m_form.setEnabled(field::detailAddUpdButton, ready);
    m_form.setEnabled(field::detailActivateButton, ready);
}

void WaypointDocument::updateDetailUI()
{
    if (m_currentIndex >= 0 && static_cast<size_t>(m_currentIndex) < m_waypointList.size()) {
        const WaypointSnapshot waypoint = m_waypointList[static_cast<size_t>(m_currentIndex)]->snapshot();
        m_form.setText(field::wpBox, waypoint.wpName);
        m_form.setText(field::detailAddUpdButton, "Update");
        m_form.setEnabled(field::detailDeleteButton, true);
        m_form.setEnabled(field::detailActivateButton, true);
        m_form.setText(field::wpLatitude, FieldText::fromFloat(waypoint.latitude));
        m_form.setText(field::wpLongitude, FieldText::fromFloat(waypoint.longitude));
        m_form.setText(field::wpAltitude, FieldText::fromFloat(waypoint.altitude));
        m_form.setText(field::wpName, waypoint.wpName);
        m_form.setText(field::wpComment, waypoint.wpComment);
        updateWPLat(0);
        updateWPLon(0);
        changeAltUnits();
        return;
    }
    m_form.setText(field::wpBox, "New waypoint");
    m_form.setText(field::detailAddUpdButton, "Add");
    m_form.setEnabled(field::detailDeleteButton, false);
    m_form.setEnabled(field::detailActivateButton, false);
    m_form.setEnabled(field::detailAddUpdButton, false);
    clearFields({field::wpLatitude, field::wpLongitude, field::wpAltitude, field::wpName, field::wpComment,
        field::wpLatDeg, field::wpLatMin, field::wpLatSec, field::wpLonDeg, field::wpLonMin, field::wpLonSec});
}

void WaypointDocument::clearFields(std::initializer_list<std::string_view> names)
{
    for (const std::string_view name : names)
        m_form.setText(name, {});
}

WaypointPtr WaypointDocument::recordDetailEdit()
{
    const bool existing = m_currentIndex >= 0 && static_cast<size_t>(m_currentIndex) < m_waypointList.size();
    WaypointList changedInPlace;
    if (existing)
        changedInPlace.push_back(m_waypointList[static_cast<size_t>(m_currentIndex)]);
    WaypointPtr waypoint;
    recordEdit(
        existing ? QObject::tr("Change Waypoint") : QObject::tr("Add Waypoint"),
        [&] { waypoint = addUpdateWithDetail(); }, changedInPlace);
    return waypoint;
}

WaypointPtr WaypointDocument::addUpdateWithDetail()
{
    // Only called once readyForAddUpdate holds: every field reads.
    const float altitude = altitudeOf(m_form.text(field::wpAltitude)).value_or(0.0f);
    const float longitude = coordinateOf(m_form, field::wpLongitude, CoordinateText::Axis::Longitude)
                                .value_or(std::numeric_limits<float>::quiet_NaN());
    const float latitude = coordinateOf(m_form, field::wpLatitude, CoordinateText::Axis::Latitude)
                               .value_or(std::numeric_limits<float>::quiet_NaN());
    if (m_currentIndex >= 0 && static_cast<size_t>(m_currentIndex) < m_waypointList.size()) {
        const WaypointPtr& waypoint = m_waypointList[static_cast<size_t>(m_currentIndex)];
        waypoint->setWpComment(m_form.text(field::wpComment));
        waypoint->setLatitude(latitude);
        waypoint->setLongitude(longitude);
        waypoint->setAltitude(altitude);
        return waypoint;
    }
    WaypointPtr waypoint
        = Waypoint::create(m_form.text(field::wpName), m_form.text(field::wpComment), latitude, longitude, altitude);
    m_waypointList.push_back(waypoint);
    WaypointListOrder::sortByName(m_waypointList);
    return waypoint;
}

WaypointList WaypointDocument::sortedByDistance(const WaypointList& list, const Waypoint& origin)
{
    // Each distance once, from an origin whose own terms are worked out once.
    // A key holds the distance's bits above the list index: non-negative
    // floats order as their bits do, the index keeps equal distances in list
    // order, and a NaN distance (no position) goes after every real one.
    const WaypointSnapshot from = origin.snapshot();
    const GeodesicOrigin geodesicOrigin(from.latitude, from.longitude);
    std::vector<uint64_t> keys(list.size());
    inShares(list.size(), [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i) {
            const float distance = list[i]->distanceFrom(geodesicOrigin);
            const uint32_t bits = std::isnan(distance) ? std::numeric_limits<uint32_t>::max()
                : distance > 0                         ? std::bit_cast<uint32_t>(distance)
                                                       : 0;
            keys[i] = (uint64_t{bits} << 32) | i;
        }
    });
    sortByUpperHalf(keys);
    WaypointList sorted(list.size());
    inShares(list.size(), [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i)
            sorted[i] = list[static_cast<size_t>(keys[i] & 0xffffffffU)];
    });
    return sorted;
}

DocumentContent WaypointDocument::currentContent() const
{
    return {m_waypointList, {}, std::nullopt};
}

void WaypointDocument::restoreContent(const DocumentContent& content)
{
    // The sheet and the nearest panel work on the content being replaced.
    if (m_view) {
        m_view->closeDetailSheet();
        m_view->closeNearestPanel();
    }
    if (content.waypoints)
        m_waypointList = *content.waypoints;
    DocumentContent::restoreValues(content.values);
    reloadTable();
}

void WaypointDocument::openDetailPanel()
{
    if (m_view)
        m_view->openDetailSheet();
    updateDetailUI();
}

void WaypointDocument::applyCurrentPos(WaypointPtr currentPos)
{
    if (currentPos) {
        m_currentPos = std::move(currentPos);
        m_currentPosOffered = true;
        m_nearestTableModel->setDistanceOrigin(m_currentPos);
        m_form.setText(field::nearestOrigin, "Distances from the current position");
    } else if (m_currentPosOffered) {
        m_currentPosOffered = false;
        // An open list keeps its distances, saying from when they are.
        m_form.setText(field::nearestOrigin,
            QObject::tr("Distances from the last position, given up at %1: no current position")
                .arg(QTime::currentTime().toString("HH:mm:ss"))
                .toStdString());
    }
    m_form.setEnabled(field::showNearestButton, m_currentPosOffered);
    m_form.setEnabled(field::detailCurrentPosButton, m_currentPosOffered);
}

void WaypointDocument::activate(const WaypointPtr& waypoint, bool checkGPS, bool bringRouteForward)
{
    if (const DocumentPtr routeDocument = m_openedForRoute.lock()) {
        m_services.center.post(TRVRouteWaypointSelected, waypoint);
        if (bringRouteForward)
            m_services.host.showDocument(*routeDocument);
        endPickListRole();
        return;
    }
    // A route document closed while this list served it: the role is over
    // and this activation navigates as usual.
    m_openedForRoute.reset();
    if (checkGPS)
        m_services.center.post(TRVCheckGPSRunning, NotificationObject::sentBy(static_cast<Document*>(this)));
    m_services.center.post(TRVWaypointActivated, waypoint);
}

void WaypointDocument::endPickListRole()
{
    m_openedForRoute.reset();
    setActivateTitles(m_wpTableHasSelection);
}

void WaypointDocument::reloadTable()
{
    m_wpTableModel->reload();
    // A reload drops the table's selection without telling of it.
    tableViewSelectionDidChange(Table::Waypoints, false);
}

void WaypointDocument::setActivateTitles(bool)
{
    const std::string_view title = m_openedForRoute.expired() ? kActivateTitle : kSelectTitle;
    m_form.setText(field::wpActivateButton, std::string(title));
    m_form.setText(field::nearestActivateButton, std::string(title));
}

} // namespace navora
