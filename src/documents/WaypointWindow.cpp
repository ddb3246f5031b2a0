#include "documents/WaypointWindow.h"

#include "documents/Dialogs.h"
#include "documents/DocumentController.h"
#include "documents/DocumentFieldNames.h"
#include "documents/FormBinding.h"
#include "documents/WaypointDocument.h"

#include "ui_NearestPanel.h"
#include "ui_WaypointDetailPanel.h"
#include "ui_WaypointDocument.h"

#include <QDialog>
#include <QTimer>

namespace navora {

namespace {

int tagOf(const QObject* control)
{
    return control->property("tag").toInt();
}

} // namespace

WaypointWindow::WaypointWindow(DocumentController& controller, std::shared_ptr<WaypointDocument> document)
    : DocumentWindow(controller, document)
    , m_waypointDocument(std::move(document))
    , m_ui(std::make_unique<Ui::WaypointDocument>())
    , m_detailUi(std::make_unique<Ui::WaypointDetailPanel>())
    , m_nearestUi(std::make_unique<Ui::NearestPanel>())
{
    m_ui->setupUi(this);
    m_detailPanel = new QDialog(this);
    m_detailUi->setupUi(m_detailPanel);
    m_detailPanel->setWindowModality(Qt::WindowModal);
    m_nearestPanel = new QDialog(this);
    m_nearestUi->setupUi(m_nearestPanel);
    m_nearestPanel->setModal(false);

    setUpTable(*m_ui->wpTable, m_waypointDocument->wpTableModel());
    setUpTable(*m_nearestUi->nearestTable, m_waypointDocument->nearestTableModel());
    m_binding = new FormBinding(m_waypointDocument->form(), {this, m_detailPanel, m_nearestPanel}, this);
    connectMainWindow();
    connectDetailPanel();
    connectNearestPanel();
    m_waypointDocument->windowControllerDidLoadNib(*this);
    updateTitle();
}

WaypointWindow::~WaypointWindow()
{
    delete m_binding;
    m_ui->wpTable->setModel(nullptr);
    m_nearestUi->nearestTable->setModel(nullptr);
    m_waypointDocument->windowWillClose();
}

void WaypointWindow::openDetailSheet()
{
    m_detailPanel->open();
    m_detailUi->wpName->setFocus();
}

void WaypointWindow::closeDetailSheet()
{
    if (m_detailPanel->isVisible())
        m_detailPanel->done(1);
}

void WaypointWindow::openNearestPanel()
{
    m_nearestPanel->show();
    m_nearestPanel->raise();
    m_nearestPanel->activateWindow();
    m_nearestUi->nearestTable->clearSelection();
    m_nearestRedraw->start();
}

void WaypointWindow::closeNearestPanel()
{
    m_nearestRedraw->stop();
    m_nearestPanel->hide();
}

void WaypointWindow::deselectAll()
{
    m_ui->wpTable->clearSelection();
}

void WaypointWindow::tell(const std::string& title, const std::string& message)
{
    controller().dialogs().tell(this, QString::fromStdString(title), QString::fromStdString(message));
}

bool WaypointWindow::askQuestion(const std::string& title, const std::string& message, const std::string& defaultButton,
    const std::string& alternateButton)
{
    QWidget* parent = m_detailPanel->isVisible() ? static_cast<QWidget*>(m_detailPanel) : this;
    return controller().dialogs().ask(parent, QString::fromStdString(title), QString::fromStdString(message),
               {QString::fromStdString(defaultButton), QString::fromStdString(alternateButton)})
        == 0;
}

void WaypointWindow::documentWindowWillClose()
{
    m_nearestRedraw->stop();
    m_waypointDocument->windowWillClose();
}

void WaypointWindow::connectMainWindow()
{
    WaypointDocument& document = *m_waypointDocument;
    QTableView* table = m_ui->wpTable;
    const auto selected = [this, table] { return selectedListIndex(*table, m_waypointDocument->wpTableModel()); };
    connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this, [&document, table] {
        document.tableViewSelectionDidChange(
            WaypointDocument::Table::Waypoints, table->selectionModel()->hasSelection());
    });
    connect(table, &QTableView::doubleClicked, this, [&document, selected] { document.wpActivateSelect(selected()); });
    addTableKeys(
        *table, [&document, selected] { document.wpEdit(selected()); },
        [&document, table] { document.wpDeleteRows(selectedListIndexes(*table, document.wpTableModel())); });
    connect(m_ui->wpAddButton, &QPushButton::clicked, this, [&document] { document.wpAdd(); });
    connect(m_ui->wpEditButton, &QPushButton::clicked, this, [&document, selected] { document.wpEdit(selected()); });
    connect(
        m_ui->wpDeleteButton, &QPushButton::clicked, this, [&document, selected] { document.wpDelete(selected()); });
    connect(m_ui->wpActivateButton, &QPushButton::clicked, this,
        [&document, selected] { document.wpActivateSelect(selected()); });
    connect(m_ui->showNearestButton, &QPushButton::clicked, this, [&document] { document.showNearest(); });
    connect(m_ui->importKMLAction, &QAction::triggered, this, [&document] { document.importKML(); });
    connect(m_ui->importGPXAction, &QAction::triggered, this, [&document] { document.importGPX(); });
}

void WaypointWindow::forwardTyping(QLineEdit* edit, std::function<void()> action)
{
    FormState& form = m_waypointDocument->form();
    connect(edit, &QLineEdit::textEdited, this, [&form, edit, action = std::move(action)](const QString& text) {
        form.takeUserText(edit->objectName().toStdString(), text.toStdString());
        if (action)
            action();
    });
}

void WaypointWindow::connectDetailPanel()
{
    WaypointDocument& document = *m_waypointDocument;
    FormState& form = document.form();
    Ui::WaypointDetailPanel& ui = *m_detailUi;
    for (QLineEdit* edit : {ui.wpLatitude, ui.wpLatDeg, ui.wpLatMin, ui.wpLatSec})
        forwardTyping(edit, [&document, edit] { document.updateWPLat(tagOf(edit)); });
    for (QLineEdit* edit : {ui.wpLongitude, ui.wpLonDeg, ui.wpLonMin, ui.wpLonSec})
        forwardTyping(edit, [&document, edit] { document.updateWPLon(tagOf(edit)); });
    forwardTyping(ui.wpName, [&document] { document.checkButtons(); });
    forwardTyping(ui.wpComment, [&document] { document.updateWPComment(); });
    forwardTyping(ui.wpAltitude, {});
    connect(ui.wpName, &QLineEdit::editingFinished, this, [&document] { document.lookupWPName(); });
    const auto popUp = [this, &form](QComboBox* box, std::function<void()> action) {
        connect(box, &QComboBox::activated, this, [&form, box, action = std::move(action)] {
            form.takeUserText(box->objectName().toStdString(), box->currentText().toStdString());
            action();
        });
    };
    popUp(ui.wpNS, [&document, box = ui.wpNS] { document.updateWPLat(tagOf(box)); });
    popUp(ui.wpEW, [&document, box = ui.wpEW] { document.updateWPLon(tagOf(box)); });
    popUp(ui.wpFtM, [&document] { document.changeAltUnits(); });
    connect(ui.detailAddUpdButton, &QPushButton::clicked, this, [&document] { document.detailAddUpd(); });
    connect(ui.detailDeleteButton, &QPushButton::clicked, this, [&document] { document.detailDelete(); });
    connect(ui.detailActivateButton, &QPushButton::clicked, this, [&document] { document.detailActivateWP(); });
    connect(ui.detailCurrentPosButton, &QPushButton::clicked, this, [&document] { document.currentPosToLatLon(); });
    connect(ui.detailCancelButton, &QPushButton::clicked, this, [&document] { document.endDetailWindow(); });
    connect(m_detailPanel, &QDialog::finished, this, [&document] { document.sheetDidEnd(); });
}

void WaypointWindow::connectNearestPanel()
{
    WaypointDocument& document = *m_waypointDocument;
    QTableView* table = m_nearestUi->nearestTable;
    const auto selected = [this, table] { return selectedListIndex(*table, m_waypointDocument->nearestTableModel()); };
    connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this, [&document, table] {
        document.tableViewSelectionDidChange(WaypointDocument::Table::Nearest, table->selectionModel()->hasSelection());
    });
    connect(
        table, &QTableView::doubleClicked, this, [&document, selected] { document.nearestActivateSelect(selected()); });
    connect(m_nearestUi->nearestActivateButton, &QPushButton::clicked, this,
        [&document, selected] { document.nearestActivateSelect(selected()); });
    connect(m_nearestUi->nearestCloseButton, &QPushButton::clicked, this, [&document] { document.closeNearest(); });
    // The distances follow the moving position while the panel is open.
    m_nearestRedraw = new QTimer(this);
    m_nearestRedraw->setInterval(1000);
    connect(m_nearestRedraw, &QTimer::timeout, this, [&document] { document.nearestTableModel().redraw(); });
}

} // namespace navora
