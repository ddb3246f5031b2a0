#include "gps/windows/ControllerWindow.h"

#include "core/ScreenFit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QShowEvent>

namespace navora {

ControllerWindow::ControllerWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
}

void ControllerWindow::setCloseQuestion(CloseQuestion question)
{
    m_closeQuestion = std::move(question);
}

void ControllerWindow::closeEvent(QCloseEvent* event)
{
    if (m_closeQuestion && !m_closeQuestion()) {
        event->ignore();
        return;
    }
    event->accept();
}

void ControllerWindow::showEvent(QShowEvent* event)
{
    // Not when the window system gives it back (from the taskbar).
    if (!event->spontaneous())
        keepOnScreen();
    QWidget::showEvent(event);
}

void ControllerWindow::keepOnScreen()
{
    // The screen of the window the user works in: the main window, as a rule.
    const QWidget* active = QApplication::activeWindow();
    const QScreen* screen = active && active != this ? active->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect frame = frameGeometry();
    const QRect placed = ScreenFit::fitted(frame, screen->availableGeometry());
    if (placed.size() != frame.size())
        resize(size() - (frame.size() - placed.size()));
    if (placed.topLeft() != frame.topLeft())
        move(placed.topLeft());
}

} // namespace navora
