#pragma once

#include <QWidget>

#include <functional>

namespace navora {

// A top-level window of the GPS controller. Before the user closes it, its
// controller is asked (the navigation window asks whether to stop
// navigating); windows closed by the program are hidden without asking.
// Each opens whole on the screen the user works on.
class ControllerWindow : public QWidget {
    Q_OBJECT
public:
    // True lets the window close.
    using CloseQuestion = std::function<bool()>;

    explicit ControllerWindow(QWidget* parent = nullptr);

    void setCloseQuestion(CloseQuestion question);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void keepOnScreen();

    CloseQuestion m_closeQuestion;
};

} // namespace navora
