#include "gps/windows/GPSWindowController.h"

#include <QTimer>

#include "gps/windows/AlertLine.h"
#include "gps/windows/AlertLineDispatcher.h"
#include "gps/windows/ControllerWindow.h"
#include "gps/windows/GPSWindows.h"
#include "gps/windows/QtDisplay.h"

#include "core/ControlState.h"
#include "core/QtText.h"
#include "nav/DisplayFields.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

namespace navora {

GPSWindowController::GPSWindowController(Services services)
    : m_windows(std::make_unique<GPSWindows>())
    , m_alertLine(std::make_unique<AlertLine>(m_windows->alertLines(), services.alertLineHold))
    , m_display(std::make_shared<QtDisplay>(m_windows->all()))
    , m_plotBackdrops(std::move(services.plotBackdrops))
{
    auto makeAlertDispatcher = [make = std::move(services.makeAlertDispatcher), &line = *m_alertLine] {
        return std::make_shared<AlertLineDispatcher>(
            make ? make() : nullptr, line, AlertTable::fromFile(AlertTable::defaultPath()));
    };
    m_controller = std::make_unique<GPSController>(GPSController::Services{services.settings, services.center,
        m_display, std::move(services.link), std::move(makeAlertDispatcher), services.timings, services.connects});
    if (services.stopQuestion) {
        m_controller->setStopQuestion(std::move(services.stopQuestion));
    } else {
        m_controller->setStopQuestion([this](std::string_view title, std::string_view message, std::string_view yes,
                                          std::string_view no) { return askToStop(title, message, yes, no); });
    }
    connectActions();
    if (!services.trackFolder.empty())
        m_controller->recordTrack(services.trackFolder);
    m_controller->windowDidLoad();
}

GPSWindowController::~GPSWindowController()
{
    // The GPS thread ends with the controller; only then may the display
    // and the windows it writes go.
    m_controller.reset();
    m_alertLine.reset();
    m_display.reset();
    m_windows.reset();
}

GPSController& GPSWindowController::controller() const
{
    return *m_controller;
}

void GPSWindowController::showWindow()
{
    // Through the display, so it comes after the writes still queued.
    DisplayBatch batch;
    batch.bringToFront(fields::window);
    m_display->apply(std::move(batch));
}

void GPSWindowController::showPlot()
{
    if (!m_plot) {
        m_plot = std::make_unique<PlotWidget>();
        m_plot->setWindowFlag(Qt::Window);
        m_plot->setObjectName("plotWindow");
        m_plot->setWindowTitle(QObject::tr("Plot"));
        m_plot->resize(560, 480);
        m_plotRefresh = new QTimer(m_plot.get());
        m_plotRefresh->setInterval(1000);
        QObject::connect(m_plotRefresh, &QTimer::timeout, m_plot.get(), [this] {
            if (m_plot->isVisible())
                m_plot->setScene(plotScene());
        });
        m_plotRefresh->start();
    }
    m_plot->setScene(plotScene());
    m_plot->show();
    m_plot->raise();
}

PlotScene GPSWindowController::plotScene() const
{
    PlotScene scene = m_controller->plotScene();
    if (m_plotBackdrops)
        scene.backdrops = m_plotBackdrops();
    return scene;
}

QWidget* GPSWindowController::window(std::string_view name) const
{
    return m_windows->window(name);
}

std::map<std::string, std::string> GPSWindowController::fieldSnapshot() const
{
    return m_display->snapshot(fields::all);
}

void GPSWindowController::connectActions()
{
    for (const std::string_view name : {fields::window, fields::navDataWindow, fields::miniNavWindow})
        m_windows->window(name)->setCloseQuestion([this, name] { return m_controller->windowShouldClose(name); });
    int column = 0;
    for (QAbstractButton* choice : m_windows->cdiScaleChoices()) {
        connect(choice, &QAbstractButton::clicked, this, [this, column] {
            ControlState sender;
            sender.selectedRow = 0;
            sender.selectedColumn = column;
            m_controller->changeCDIScale(sender);
        });
        ++column;
    }
    // The same deactivation as answering "Yes" when the window closes.
    connect(m_windows->stopNavigatingButton(), &QAbstractButton::clicked, this,
        [this] { m_controller->activateRoute(nullptr, 0); });
    connect(m_windows->showPlotButton(), &QAbstractButton::clicked, this, [this] { showPlot(); });
}

bool GPSWindowController::askToStop(
    std::string_view title, std::string_view message, std::string_view yes, std::string_view no)
{
    QMessageBox box(QMessageBox::Question, toQString(title), toQString(message), QMessageBox::NoButton,
        &m_windows->navDataWindow());
    QPushButton* yesButton = box.addButton(toQString(yes), QMessageBox::AcceptRole);
    box.addButton(toQString(no), QMessageBox::RejectRole);
    box.setDefaultButton(yesButton);
    box.exec();
    return box.clickedButton() == yesButton;
}

} // namespace navora
