#pragma once

#include "model/Route.h"
#include "nav/UnitSystem.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <functional>
#include <map>
#include <vector>

namespace navora {

// A table of waypoints for a Qt view: the waypoint list, the nearest list
// and the route table. Columns are identified by strings: a Waypoint field
// name ("wpName", "wpComment", "latitude", "longitude", "altitude"),
// "distance" (from the distance origin, in the distance unit of the unit
// system given, nautical miles to start; computed at each redraw) or "index" (the row number from 0). The window layout
// says which columns a table shows.
//
// The rows can be shown sorted by a column without touching the list: the
// model keeps a row order of its own, computed once per sort or reload from
// each waypoint read once, so a list of a hundred thousand waypoints sorts
// at once. listIndex() maps a shown row to the list's index.
class WaypointTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The list shown; nullptr for none (no rows). Asked at every reload.
    using Source = std::function<const WaypointList*()>;
    // A cell edit: list index, column identifier, the typed text. Returns
    // whether the waypoint changed.
    using Editor = std::function<bool(int listIndex, const QString& column, const QString& text)>;

    // A column whose figures come from outside the model (a route's legs):
    // its header and the text at a list index, both asked at each redraw.
    struct ComputedColumn {
        std::function<QString()> title;
        std::function<QString(int listIndex)> text;
    };
    // Moves a row of the list; false when it cannot.
    using Mover = std::function<bool(int fromListIndex, int toListIndex)>;

    static QStringList defaultColumns();
    // The header of a column, as the user reads it.
    static QString columnTitle(const QString& column);

    explicit WaypointTableModel(Source source, QObject* parent = nullptr);

    void setColumns(const QStringList& columns);
    const QStringList& columns() const { return m_columns; }
    // With an editor, the field columns are editable.
    void setEditor(Editor editor) { m_editor = std::move(editor); }
    void setDistanceOrigin(WaypointPtr origin);
    void setComputedColumn(const QString& column, ComputedColumn computed);
    // With a mover, rows are dragged to a new place (while the list's own
    // order is shown).
    void setMover(Mover mover) { m_mover = std::move(mover); }
    // The unit the distance column and its header are in; redraws.
    void setDistanceUnits(const UnitSystem& units);

    // Takes the list afresh (rows added, removed or reordered).
    void reload();
    // Redraws every cell (values changed in place).
    void redraw();

    int listIndex(int row) const;
    int rowOfListIndex(int listIndex) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // Sorting a column shows the rows in that order; column -1 restores the
    // list's own order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Dragging rows within the table.
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool dropMimeData(
        const QMimeData* data, Qt::DropAction action, int row, int column, const QModelIndex& parent) override;

private:
    const WaypointList* list() const { return m_source(); }
    QString displayText(const Waypoint& waypoint, int row, const QString& column) const;
    void computeOrder();

    Source m_source;
    QStringList m_columns;
    Editor m_editor;
    Mover m_mover;
    std::map<QString, ComputedColumn> m_computed;
    WaypointPtr m_distanceOrigin;
    const UnitSystem* m_distanceUnits;
    int m_rowCount = 0;
    // Shown row -> list index; empty while the list's own order is shown.
    std::vector<int> m_order;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

} // namespace navora
