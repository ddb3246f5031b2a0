#include "gps/windows/ControllerWindow.h"

#include <QCloseEvent>

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

} // namespace navora
