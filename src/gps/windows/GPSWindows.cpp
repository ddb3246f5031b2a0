#include "gps/windows/GPSWindows.h"

#include "gps/windows/ControllerWindow.h"
#include "ui_GPSController.h"
#include "ui_GPSControllerMiniNav.h"
#include "ui_GPSControllerNavData.h"

#include "nav/DisplayFields.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace navora {

GPSWindows::GPSWindows()
    : m_gpsUi(std::make_unique<Ui::GPSController>())
    , m_navDataUi(std::make_unique<Ui::GPSControllerNavData>())
    , m_miniNavUi(std::make_unique<Ui::GPSControllerMiniNav>())
    , m_gpsWindow(std::make_unique<ControllerWindow>())
    , m_navDataWindow(std::make_unique<ControllerWindow>())
    , m_miniNavWindow(std::make_unique<ControllerWindow>())
{
    m_gpsUi->setupUi(m_gpsWindow.get());
    m_navDataUi->setupUi(m_navDataWindow.get());
    m_miniNavUi->setupUi(m_miniNavWindow.get());
    for (ControllerWindow* window : {m_gpsWindow.get(), m_navDataWindow.get(), m_miniNavWindow.get()})
        prepareFields(*window);
    placeWindows();
}

GPSWindows::~GPSWindows() = default;

ControllerWindow* GPSWindows::window(std::string_view name) const
{
    if (name == fields::window)
        return m_gpsWindow.get();
    if (name == fields::navDataWindow)
        return m_navDataWindow.get();
    if (name == fields::miniNavWindow)
        return m_miniNavWindow.get();
    return nullptr;
}

std::vector<QWidget*> GPSWindows::all() const
{
    return {m_gpsWindow.get(), m_navDataWindow.get(), m_miniNavWindow.get()};
}

std::array<QAbstractButton*, 3> GPSWindows::cdiScaleChoices() const
{
    return {m_navDataUi->wpCDIScale0, m_navDataUi->wpCDIScale1, m_navDataUi->wpCDIScale2};
}

QAbstractButton* GPSWindows::stopNavigatingButton() const
{
    return m_navDataUi->wpStopNavigating;
}

QAbstractButton* GPSWindows::showPlotButton() const
{
    return m_navDataUi->wpShowPlot;
}

std::vector<QLabel*> GPSWindows::alertLines() const
{
    return {m_gpsUi->gpsAlertLine, m_navDataUi->navAlertLine, m_miniNavUi->mnAlertLine};
}

void GPSWindows::placeWindows()
{
    // Side by side, the GPS window first, and the MiniNav in the top right
    // corner, out of the way of whatever it floats above.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    constexpr int gap = 24;
    m_gpsWindow->adjustSize();
    m_navDataWindow->adjustSize();
    m_miniNavWindow->adjustSize();
    m_gpsWindow->move(area.left() + gap, area.top() + gap);
    m_navDataWindow->move(m_gpsWindow->x() + m_gpsWindow->width() + gap, area.top() + gap);
    m_miniNavWindow->move(area.right() - m_miniNavWindow->width() - gap, area.top() + gap);
}

void GPSWindows::prepareFields(QWidget& window)
{
    // The style sheet sets the fonts, so widths are measured once it applies.
    window.ensurePolished();
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        // A hidden field keeps its place: the others do not move.
        QSizePolicy policy = widget->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        widget->setSizePolicy(policy);
    }
    for (QLabel* label : window.findChildren<QLabel*>()) {
        // Names and comments come from files: never taken as markup.
        label->setTextFormat(Qt::PlainText);
        // Measured with the widest text it is to show (or a digit): an empty
        // label would be lower, and a narrower one would grow.
        const QString widest = label->property("widestText").toString();
        const QString shown = label->text();
        label->setText(widest.isEmpty() ? QStringLiteral("0") : widest);
        const QSize size = label->sizeHint();
        label->setText(shown);
        label->setMinimumHeight(size.height());
        if (!widest.isEmpty())
            label->setMinimumWidth(size.width());
    }
}

} // namespace navora
