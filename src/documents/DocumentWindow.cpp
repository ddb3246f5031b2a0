#include "documents/DocumentWindow.h"

#include "documents/DocumentController.h"
#include "documents/WaypointTableModel.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QShortcut>
#include <QTableView>

#include <algorithm>

namespace navora {

namespace {

int columnWidth(const QString& column)
{
    if (column == QLatin1String("index"))
        return 48;
    if (column == QLatin1String("wpName"))
        return 170;
    if (column == QLatin1String("wpComment"))
        return 220;
    if (column == QLatin1String("altitude"))
        return 90;
    return 120;
}

} // namespace

DocumentWindow::DocumentWindow(DocumentController& controller, DocumentPtr document)
    : m_controller(controller)
    , m_document(std::move(document))
{
    setAttribute(Qt::WA_DeleteOnClose, false);
}

DocumentWindow::~DocumentWindow()
{
    m_document->setStateListener({});
}

void DocumentWindow::updateTitle()
{
    setWindowTitle(QString::fromStdString(m_document->displayName()) + QStringLiteral("[*]"));
    setWindowModified(m_document->isDocumentEdited());
}

void DocumentWindow::closeWithoutAsking()
{
    m_closeConfirmed = true;
    close();
}

void DocumentWindow::closeEvent(QCloseEvent* event)
{
    if (!m_closeConfirmed && !m_controller.canCloseDocument(*m_document)) {
        event->ignore();
        return;
    }
    m_closeConfirmed = true;
    event->accept();
    documentWindowWillClose();
    m_controller.documentWindowClosed(*this);
}

void DocumentWindow::setUpTable(QTableView& table, WaypointTableModel& model)
{
    const QString columns = table.property("columns").toString();
    if (!columns.isEmpty())
        model.setColumns(columns.split(QLatin1Char(','), Qt::SkipEmptyParts));
    table.setModel(&model);
    QHeaderView* header = table.horizontalHeader();
    // The list's own order until the user sorts by a column.
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setSectionResizeMode(QHeaderView::Interactive);
    for (int i = 0; i < model.columns().size(); ++i)
        header->resizeSection(i, columnWidth(model.columns()[i]));
    // Fixed row heights: a table of a hundred thousand rows is never
    // measured row by row.
    table.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table.verticalHeader()->setDefaultSectionSize(table.fontMetrics().height() + 8);
    table.setWordWrap(false);
}

std::vector<int> DocumentWindow::selectedListIndexes(const QTableView& table, const WaypointTableModel& model)
{
    std::vector<int> indexes;
    if (!table.selectionModel())
        return indexes;
    for (const QModelIndex& row : table.selectionModel()->selectedRows()) {
        const int index = model.listIndex(row.row());
        if (index >= 0)
            indexes.push_back(index);
    }
    std::sort(indexes.begin(), indexes.end());
    return indexes;
}

void DocumentWindow::addTableKeys(QTableView& table, std::function<void()> open, std::function<void()> remove)
{
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)})
        new QShortcut(key, &table, this, open, Qt::WidgetShortcut);
    for (const QKeySequence& key : {QKeySequence(QKeySequence::Delete), QKeySequence(Qt::Key_Backspace)})
        new QShortcut(key, &table, this, remove, Qt::WidgetShortcut);
}

std::optional<int> DocumentWindow::selectedListIndex(const QTableView& table, const WaypointTableModel& model)
{
    if (!table.selectionModel())
        return std::nullopt;
    const QModelIndexList rows = table.selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    const int index = model.listIndex(rows.front().row());
    return index < 0 ? std::nullopt : std::optional<int>(index);
}

} // namespace navora
