#include "documents/WaypointTableModel.h"

#include "documents/FieldText.h"

#include "core/QtText.h"
#include "model/NumberText.h"

#include <QMimeData>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace navora {

namespace {

constexpr const char* kRowMimeType = "application/x-navora-list-row";

QString headerTitle(const QString& column, const UnitSystem& units)
{
    if (column == QLatin1String("wpName"))
        return QObject::tr("Name");
    if (column == QLatin1String("wpComment"))
        return QObject::tr("Comment");
    if (column == QLatin1String("latitude"))
        return QObject::tr("Latitude");
    if (column == QLatin1String("longitude"))
        return QObject::tr("Longitude");
    if (column == QLatin1String("altitude"))
        return QObject::tr("Altitude");
    if (column == QLatin1String("distance"))
        return QObject::tr("Distance (%1)").arg(toQString(units.dst_units));
    if (column == QLatin1String("index"))
        return QObject::tr("#");
    return column;
}

bool isNumberColumn(const QString& column)
{
    return column != QLatin1String("wpName") && column != QLatin1String("wpComment");
}

QString fixed(float value, int decimals)
{
    if (std::isnan(value))
        return {};
    return QString::fromStdString(NumberText::formatFixed(static_cast<double>(value), decimals));
}

// A coordinate as stored: the shortest text of its float.
QString shortest(float value)
{
    if (std::isnan(value))
        return {};
    return QString::fromStdString(NumberText::formatShortest(value));
}

// Unknown values sort after every known one, whichever the direction.
float sortKey(float value, Qt::SortOrder order)
{
    if (!std::isnan(value))
        return value;
    return order == Qt::AscendingOrder ? std::numeric_limits<float>::infinity()
                                       : -std::numeric_limits<float>::infinity();
}

} // namespace

QString WaypointTableModel::columnTitle(const QString& column)
{
    return headerTitle(column, *UnitSystem::forCode('n'));
}

QStringList WaypointTableModel::defaultColumns()
{
    return {"wpName", "wpComment", "latitude", "longitude", "altitude"};
}

WaypointTableModel::WaypointTableModel(Source source, QObject* parent)
    : QAbstractTableModel(parent)
    , m_source(std::move(source))
    , m_columns(defaultColumns())
    , m_distanceUnits(UnitSystem::forCode('n'))
{
}

void WaypointTableModel::setColumns(const QStringList& columns)
{
    beginResetModel();
    m_columns = columns;
    m_sortColumn = -1;
    m_order.clear();
    endResetModel();
}

void WaypointTableModel::setDistanceOrigin(WaypointPtr origin)
{
    m_distanceOrigin = std::move(origin);
    if (m_columns.contains(QLatin1String("distance")))
        redraw();
}

void WaypointTableModel::setComputedColumn(const QString& column, ComputedColumn computed)
{
    m_computed[column] = std::move(computed);
}

void WaypointTableModel::setDistanceUnits(const UnitSystem& units)
{
    if (m_distanceUnits == &units)
        return;
    m_distanceUnits = &units;
    if (const int distance = static_cast<int>(m_columns.indexOf(QLatin1String("distance"))); distance >= 0) {
        emit headerDataChanged(Qt::Horizontal, distance, distance);
        redraw();
    }
}

void WaypointTableModel::reload()
{
    beginResetModel();
    const WaypointList* waypoints = list();
    m_rowCount = waypoints ? static_cast<int>(waypoints->size()) : 0;
    computeOrder();
    endResetModel();
}

void WaypointTableModel::redraw()
{
    if (m_columns.isEmpty())
        return;
    const int lastColumn = static_cast<int>(m_columns.size()) - 1;
    emit headerDataChanged(Qt::Horizontal, 0, lastColumn);
    if (m_rowCount > 0)
        emit dataChanged(index(0, 0), index(m_rowCount - 1, lastColumn));
}

int WaypointTableModel::listIndex(int row) const
{
    if (row < 0 || row >= m_rowCount)
        return -1;
    return m_order.empty() ? row : m_order[static_cast<size_t>(row)];
}

int WaypointTableModel::rowOfListIndex(int listIndex) const
{
    if (listIndex < 0 || listIndex >= m_rowCount)
        return -1;
    if (m_order.empty())
        return listIndex;
    const auto it = std::find(m_order.begin(), m_order.end(), listIndex);
    return it == m_order.end() ? -1 : static_cast<int>(it - m_order.begin());
}

int WaypointTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int WaypointTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant WaypointTableModel::data(const QModelIndex& index, int role) const
{
    const WaypointList* waypoints = list();
    const int at = listIndex(index.row());
    if (!waypoints || at < 0 || static_cast<size_t>(at) >= waypoints->size() || index.column() >= m_columns.size())
        return {};
    const QString& column = m_columns[index.column()];
    const Waypoint& waypoint = *(*waypoints)[static_cast<size_t>(at)];
    const auto computed = m_computed.find(column);
    switch (role) {
    case Qt::DisplayRole:
        if (computed != m_computed.end())
            return computed->second.text(at);
        return displayText(waypoint, index.row(), column);
    case Qt::EditRole:
        if (column == QLatin1String("latitude"))
            return QString::fromStdString(FieldText::fromFloat(waypoint.latitude()));
        if (column == QLatin1String("longitude"))
            return QString::fromStdString(FieldText::fromFloat(waypoint.longitude()));
        if (column == QLatin1String("altitude"))
            return QString::fromStdString(FieldText::fromFloat(waypoint.altitude()));
        return displayText(waypoint, index.row(), column);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(
            Qt::Alignment((isNumberColumn(column) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    default:
        return {};
    }
}

QString WaypointTableModel::displayText(const Waypoint& waypoint, int row, const QString& column) const
{
    if (column == QLatin1String("wpName"))
        return QString::fromStdString(waypoint.wpName());
    if (column == QLatin1String("wpComment"))
        return QString::fromStdString(waypoint.wpComment());
    if (column == QLatin1String("latitude"))
        return shortest(waypoint.latitude());
    if (column == QLatin1String("longitude"))
        return shortest(waypoint.longitude());
    if (column == QLatin1String("altitude"))
        return fixed(waypoint.altitude(), 1);
    if (column == QLatin1String("distance"))
        return m_distanceOrigin
            ? fixed(static_cast<float>(waypoint.distanceFromPoint(*m_distanceOrigin) * m_distanceUnits->dstconv), 2)
            : QString();
    if (column == QLatin1String("index"))
        return QString::number(row);
    return {};
}

QVariant WaypointTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    const auto computed = m_computed.find(m_columns[section]);
    if (computed != m_computed.end())
        return computed->second.title();
    return headerTitle(m_columns[section], *m_distanceUnits);
}

Qt::ItemFlags WaypointTableModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (m_editor && index.isValid() && index.column() < m_columns.size()) {
        const QString& column = m_columns[index.column()];
        if (column != QLatin1String("distance") && column != QLatin1String("index") && !m_computed.contains(column))
            flags |= Qt::ItemIsEditable;
    }
    if (m_mover && m_order.empty())
        flags |= index.isValid() ? Qt::ItemIsDragEnabled : Qt::ItemIsDropEnabled;
    return flags;
}

bool WaypointTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!m_editor || role != Qt::EditRole || !index.isValid() || index.column() >= m_columns.size())
        return false;
    const int at = listIndex(index.row());
    if (at < 0 || !m_editor(at, m_columns[index.column()], value.toString()))
        return false;
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), static_cast<int>(m_columns.size()) - 1));
    return true;
}

void WaypointTableModel::sort(int column, Qt::SortOrder order)
{
    emit layoutAboutToBeChanged();
    m_sortColumn = column >= 0 && column < m_columns.size() ? column : -1;
    m_sortOrder = order;
    // The views' persistent indexes (selection, current cell) follow by
    // list index.
    const QModelIndexList before = persistentIndexList();
    std::vector<int> listIndexes;
    listIndexes.reserve(static_cast<size_t>(before.size()));
    for (const QModelIndex& index : before)
        listIndexes.push_back(listIndex(index.row()));
    computeOrder();
    std::vector<int> rowOf(static_cast<size_t>(m_rowCount));
    for (int row = 0; row < m_rowCount; ++row)
        rowOf[static_cast<size_t>(listIndex(row))] = row;
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int at = listIndexes[static_cast<size_t>(i)];
        after.push_back(at < 0 ? QModelIndex() : this->index(rowOf[static_cast<size_t>(at)], before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

Qt::DropActions WaypointTableModel::supportedDropActions() const
{
    return m_mover ? Qt::MoveAction : Qt::IgnoreAction;
}

QStringList WaypointTableModel::mimeTypes() const
{
    return {QString::fromLatin1(kRowMimeType)};
}

QMimeData* WaypointTableModel::mimeData(const QModelIndexList& indexes) const
{
    if (indexes.isEmpty())
        return nullptr;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kRowMimeType), QByteArray::number(listIndex(indexes.front().row())));
    return data;
}

bool WaypointTableModel::dropMimeData(
    const QMimeData* data, Qt::DropAction action, int row, int, const QModelIndex& parent)
{
    if (!m_mover || !m_order.empty() || action != Qt::MoveAction || !data || !data->hasFormat(kRowMimeType))
        return false;
    bool read = false;
    const int from = data->data(QString::fromLatin1(kRowMimeType)).toInt(&read);
    if (!read || from < 0 || from >= m_rowCount)
        return false;
    // Dropped between rows (before `row`), on a row, or below the last one.
    int to = row >= 0 ? row : (parent.isValid() ? parent.row() : m_rowCount);
    if (row >= 0 && from < to)
        --to;
    to = std::clamp(to, 0, m_rowCount - 1);
    // The mover reloads the list; the model has no rows of its own to
    // remove, so the view's clean-up after a move does nothing.
    return m_mover(from, to);
}

void WaypointTableModel::computeOrder()
{
    m_order.clear();
    const WaypointList* waypoints = list();
    if (m_sortColumn < 0 || !waypoints || m_rowCount == 0)
        return;
    const QString column = m_columns[m_sortColumn];
    if (column == QLatin1String("index")) {
        if (m_sortOrder == Qt::DescendingOrder) {
            for (int i = m_rowCount - 1; i >= 0; --i)
                m_order.push_back(i);
        }
        return;
    }
    std::vector<int> order(static_cast<size_t>(m_rowCount));
    for (int i = 0; i < m_rowCount; ++i)
        order[static_cast<size_t>(i)] = i;
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    if (column == QLatin1String("wpName") || column == QLatin1String("wpComment")) {
        std::vector<std::string> keys;
        keys.reserve(order.size());
        for (const WaypointPtr& waypoint : *waypoints)
            keys.push_back(column == QLatin1String("wpName") ? waypoint->wpName() : waypoint->wpComment());
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const auto& ka = keys[static_cast<size_t>(a)];
            const auto& kb = keys[static_cast<size_t>(b)];
            return descending ? kb < ka : ka < kb;
        });
    } else {
        std::vector<float> keys;
        keys.reserve(order.size());
        for (const WaypointPtr& waypoint : *waypoints) {
            const WaypointSnapshot s = waypoint->snapshot();
            float value = std::numeric_limits<float>::quiet_NaN();
            if (column == QLatin1String("latitude"))
                value = s.latitude;
            else if (column == QLatin1String("longitude"))
                value = s.longitude;
            else if (column == QLatin1String("altitude"))
                value = s.altitude;
            else if (column == QLatin1String("distance") && m_distanceOrigin)
                value = waypoint->distanceFromPoint(*m_distanceOrigin);
            keys.push_back(sortKey(value, m_sortOrder));
        }
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const float ka = keys[static_cast<size_t>(a)];
            const float kb = keys[static_cast<size_t>(b)];
            return descending ? kb < ka : ka < kb;
        });
    }
    m_order = std::move(order);
}

} // namespace navora
