#include "app/update/ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace navora::test {

ModalAnswerer::ModalAnswerer(QString answer)
    : m_answer(std::move(answer))
{
    // Polled, because the box runs its own event loop once it shows.
    connect(&m_timer, &QTimer::timeout, this, [this] { look(); });
    m_timer.start(10);
}

void ModalAnswerer::look()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    Seen seen{box->windowTitle(), box->text(), {}, box->defaultButton() ? box->defaultButton()->text() : QString()};
    QAbstractButton* answer = nullptr;
    for (QAbstractButton* button : box->buttons()) {
        seen.buttons.append(button->text());
        if (button->text() == m_answer)
            answer = button;
    }
    m_seen.append(seen);
    if (answer)
        answer->click();
    else
        box->reject(); // the test fails on what it saw; the program must not hang
}

} // namespace navora::test
