#include "gps/windows/AlertLine.h"

#include <QLabel>
#include <QTime>

namespace navora {

AlertLine::AlertLine(const std::vector<QLabel*>& labels, std::chrono::milliseconds hold)
{
    for (QLabel* label : labels)
        m_labels.emplace_back(label);
    m_expiry.setSingleShot(true);
    m_expiry.setInterval(hold);
    connect(&m_expiry, &QTimer::timeout, this, [this] { show({}); });
}

AlertLine::~AlertLine() = default;

void AlertLine::post(const std::string& text)
{
    if (text.empty())
        return;
    // The time it came, not the time the user-interface thread got to it.
    const QString line = QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("  ")
        + QString::fromStdString(text);
    m_uiThread.run([this, line] {
        show(line);
        m_expiry.start();
    });
}

void AlertLine::show(const QString& line)
{
    for (const QPointer<QLabel>& label : m_labels) {
        if (!label)
            continue;
        label->setText(line);
        // The line is cut at the window's edge; the whole text on hovering.
        label->setToolTip(line);
    }
}

} // namespace navora
