#include "documents/RouteWindow.h"

#include "documents/Dialogs.h"
#include "documents/DocumentController.h"
#include "documents/FormBinding.h"
#include "documents/RouteDocument.h"

#include "ui_RouteDetailPanel.h"
#include "ui_RouteDocument.h"

#include <QDialog>

namespace navora {

RouteWindow::RouteWindow(DocumentController& controller, std::shared_ptr<RouteDocument> document)
    : DocumentWindow(controller, document)
    , m_routeDocument(std::move(document))
    , m_ui(std::make_unique<Ui::RouteDocument>())
    , m_detailUi(std::make_unique<Ui::RouteDetailPanel>())
{
    m_ui->setupUi(this);
    m_detailPanel = new QDialog(this);
    m_detailUi->setupUi(m_detailPanel);
    m_detailPanel->setWindowModality(Qt::WindowModal);
    // The format items carry the tags of the three position formats.
    for (int i = 0; i < m_detailUi->wpLatLonFormat->count(); ++i)
        m_detailUi->wpLatLonFormat->setItemData(i, i + 1);

    setUpTable(*m_ui->routeTable, m_routeDocument->routeTableModel());
    m_binding = new FormBinding(m_routeDocument->form(), {this, m_detailPanel}, this);
    connectMainWindow();
    connectDetailPanel();
    m_routeDocument->windowControllerDidLoadNib(*this);
    updateTitle();
}

RouteWindow::~RouteWindow()
{
    delete m_binding;
    m_ui->routeTable->setModel(nullptr);
    m_routeDocument->windowWillClose();
}

void RouteWindow::openDetailSheet()
{
    m_detailPanel->open();
    m_detailUi->wpName->setFocus();
}

void RouteWindow::closeDetailSheet()
{
    if (m_detailPanel->isVisible())
        m_detailPanel->done(1);
}

void RouteWindow::deselectAll()
{
    m_ui->routeTable->clearSelection();
}

void RouteWindow::selectRow(int row)
{
    const int shown = m_routeDocument->routeTableModel().rowOfListIndex(row);
    if (shown >= 0)
        m_ui->routeTable->selectRow(shown);
}

void RouteWindow::showRouteLock(bool locked)
{
    m_ui->routeTable->setAlternatingRowColors(!locked);
}

void RouteWindow::documentWindowWillClose()
{
    m_routeDocument->windowWillClose();
}

void RouteWindow::connectMainWindow()
{
    RouteDocument& document = *m_routeDocument;
    FormState& form = document.form();
    QTableView* table = m_ui->routeTable;
    const auto selected = [this, table] { return selectedListIndex(*table, m_routeDocument->routeTableModel()); };
    connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        [&document, selected] { document.tableViewSelectionDidChange(selected()); });
    connect(table, &QTableView::doubleClicked, this, [&document, selected] { document.routeDirectTo(selected()); });
    connect(m_ui->routeAddInsertButton, &QPushButton::clicked, this,
        [&document, selected] { document.routeAddInsert(selected()); });
    connect(m_ui->routeChangeButton, &QPushButton::clicked, this,
        [&document, selected] { document.routeChange(selected()); });
    connect(m_ui->routeRemoveButton, &QPushButton::clicked, this,
        [&document, selected] { document.routeRemove(selected()); });
    connect(m_ui->routeMoveUpButton, &QPushButton::clicked, this, [&document] { document.routeMoveSelected(-1); });
    connect(m_ui->routeMoveDownButton, &QPushButton::clicked, this, [&document] { document.routeMoveSelected(1); });
    addTableKeys(
        *table, [&document, selected] { document.routeChange(selected()); },
        [&document, table] { document.routeRemoveRows(selectedListIndexes(*table, document.routeTableModel())); });
    connect(m_ui->routeClearAllButton, &QPushButton::clicked, this, [this, &document] {
        // A whole route at once: ask first (Undo brings it back).
        if (document.route()->count() == 0)
            return;
        const int answer = controller().dialogs().ask(this, tr("Remove every waypoint from the route?"),
            tr("The route \"%1\" loses all of its %n waypoint(s).", nullptr,
                static_cast<int>(document.route()->count()))
                .arg(QString::fromStdString(document.route()->description())),
            {tr("Clear All"), tr("Cancel")});
        if (answer == 0)
            document.routeClearAll();
    });
    connect(m_ui->routeDirectToButton, &QPushButton::clicked, this,
        [&document, selected] { document.routeDirectTo(selected()); });
    connect(m_ui->routeJoinSegmentButton, &QPushButton::clicked, this,
        [&document, selected] { document.routeJoinSegment(selected()); });
    connect(m_ui->routeReverseButton, &QPushButton::clicked, this, [&document] { document.routeReverse(); });
    QLineEdit* name = m_ui->routeName;
    connect(name, &QLineEdit::textEdited, this,
        [&form](const QString& text) { form.takeUserText("routeName", text.toStdString()); });
    connect(name, &QLineEdit::editingFinished, this, [&document] { document.routeRename(); });
    connect(m_ui->importKMLAction, &QAction::triggered, this, [&document] { document.importKML(); });
}

void RouteWindow::connectDetailPanel()
{
    RouteDocument& document = *m_routeDocument;
    FormState& form = document.form();
    Ui::RouteDetailPanel& ui = *m_detailUi;
    connect(ui.wpName, &QLineEdit::textEdited, this,
        [&form](const QString& text) { form.takeUserText("wpName", text.toStdString()); });
    connect(ui.wpName, &QLineEdit::editingFinished, this, [&document] { document.lookupWPName(); });
    connect(ui.wpPickListButton, &QPushButton::clicked, this, [&document] { document.wpPickList(); });
    connect(ui.wpLatLonFormat, &QComboBox::activated, this, [&document, &form, box = ui.wpLatLonFormat] {
        form.takeUserText("wpLatLonFormat", box->currentText().toStdString());
        document.selectLatLonFormat(box->currentData().toInt());
    });
    connect(ui.detailAddInsertChangeButton, &QPushButton::clicked, this,
        [&document] { document.detailAddInsertChangeWP(); });
    connect(ui.detailCancelButton, &QPushButton::clicked, this, [&document] { document.endDetailWindow(); });
    connect(m_detailPanel, &QDialog::finished, this, [&document] { document.sheetDidEnd(); });
}

} // namespace navora
