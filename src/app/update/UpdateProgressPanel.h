#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;

namespace navora {

// The small panel that shows the update check's stage while its transfer
// runs: an indeterminate progress bar, the stage text and a Cancel button.
// Cancel, Escape and closing the panel all ask the owner to cancel.
class UpdateProgressPanel : public QDialog {
public:
    explicit UpdateProgressPanel(std::function<void()> cancel, QWidget* parent = nullptr);

    // Shows the stage text, starts the indicator and brings the panel to the front.
    void start(const QString& stage);
    void showStage(const QString& stage);
    // Empties the text, stops the indicator and hides the panel.
    void finish();

private:
    std::function<void()> m_cancel;
    QProgressBar* m_indicator = nullptr;
    QLabel* m_field = nullptr;
};

} // namespace navora
