#include "app/update/UpdateAlerts.h"

#include <QMessageBox>
#include <QPushButton>

namespace navora {

namespace {

void presentNotice(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text)
{
    QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
    box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
    box.exec();
}

} // namespace

bool UpdateAlerts::presentUpdateAvailable(QWidget* parent, const QString& serverVersion, const QString& ownVersion)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Update Available"),
        QStringLiteral("The following Navora update is available:\n%1\nYour version:\n%2")
            .arg(serverVersion, ownVersion),
        QMessageBox::NoButton, parent);
    QPushButton* go = box.addButton(QStringLiteral("Go to download page"), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(go);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == go;
}

void UpdateAlerts::presentNoUpdate(QWidget* parent)
{
    presentNotice(parent, QMessageBox::Information, QStringLiteral("No Updates Available"),
        QStringLiteral("Your copy of Navora is up to date."));
}

void UpdateAlerts::presentConnectionError(QWidget* parent)
{
    presentNotice(parent, QMessageBox::Warning, QStringLiteral("Unable to Connect"),
        QStringLiteral("Navora was not able to connect to the update server."));
}

} // namespace navora
