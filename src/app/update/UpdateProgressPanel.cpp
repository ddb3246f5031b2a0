#include "app/update/UpdateProgressPanel.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace navora {

UpdateProgressPanel::UpdateProgressPanel(std::function<void()> cancel, QWidget* parent)
    : QDialog(parent)
    , m_cancel(std::move(cancel))
{
    setObjectName(QStringLiteral("progressPanel"));
    setWindowTitle(tr("Checking for Updates"));

    m_field = new QLabel(this);
    m_field->setObjectName(QStringLiteral("progressField"));
    m_field->setMinimumWidth(260);

    m_indicator = new QProgressBar(this);
    m_indicator->setObjectName(QStringLiteral("progressIndicator"));
    m_indicator->setTextVisible(false);
    m_indicator->setRange(0, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Every way of dismissing the panel while it shows means "cancel".
    connect(this, &QDialog::rejected, this, [this] { m_cancel(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_field);
    layout->addWidget(m_indicator);
    layout->addWidget(buttons);
}

void UpdateProgressPanel::start(const QString& stage)
{
    showStage(stage);
    m_indicator->setRange(0, 0); // a range of 0..0 is Qt's indeterminate, animated bar
    show();
    raise();
    activateWindow();
}

void UpdateProgressPanel::showStage(const QString& stage)
{
    m_field->setText(stage);
}

void UpdateProgressPanel::finish()
{
    m_field->clear();
    m_indicator->setRange(0, 1);
    m_indicator->setValue(0);
    hide();
}

} // namespace navora
