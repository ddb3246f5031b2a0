#include "documents/QtDialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace navora {

namespace {

QString filterFor(const QStringList& extensions)
{
    QStringList patterns;
    for (const QString& extension : extensions)
        patterns << QStringLiteral("*.") + extension;
    return QObject::tr("Files (%1)").arg(patterns.join(QLatin1Char(' ')));
}

} // namespace

int QtDialogs::ask(QWidget* parent, const QString& title, const QString& text, const QStringList& buttons)
{
    // As in tell(): the title leads the box, where no desktop cuts it.
    QMessageBox box(QMessageBox::Question, title, title, QMessageBox::NoButton, parent);
    box.setInformativeText(text);
    QList<QPushButton*> added;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        const auto role = i == 0      ? QMessageBox::AcceptRole
            : i == buttons.size() - 1 ? QMessageBox::RejectRole
                                      : QMessageBox::DestructiveRole;
        added << box.addButton(buttons[i], role);
    }
    if (!added.isEmpty()) {
        box.setDefaultButton(added.front());
        box.setEscapeButton(added.back());
    }
    box.exec();
    const auto chosen = added.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
    return chosen < 0 ? static_cast<int>(buttons.size()) - 1 : static_cast<int>(chosen);
}

void QtDialogs::tell(QWidget* parent, const QString& title, const QString& text)
{
    // The title is the message itself: many desktops show no dialog titles.
    QMessageBox box(QMessageBox::Warning, title, title, QMessageBox::Ok, parent);
    box.setInformativeText(text);
    box.exec();
}

void QtDialogs::inform(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Information, title, title, QMessageBox::Ok, parent);
    box.setInformativeText(text);
    box.exec();
}

std::optional<QString> QtDialogs::openFile(QWidget* parent, const QString& caption, const QStringList& extensions)
{
    const QString path = QFileDialog::getOpenFileName(parent, caption, QString(), filterFor(extensions));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> QtDialogs::saveFile(
    QWidget* parent, const QString& caption, const QString& proposedPath, const QString& extension)
{
    // The default suffix is added before the panel checks for an existing
    // file, so replacing one always asks.
    QFileDialog dialog(parent, caption, proposedPath, filterFor({extension}));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(extension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

} // namespace navora
