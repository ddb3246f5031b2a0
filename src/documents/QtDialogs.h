#pragma once

#include "documents/Dialogs.h"

namespace navora {

// Dialogs as message boxes and the platform's file panels.
class QtDialogs : public Dialogs {
public:
    int ask(QWidget* parent, const QString& title, const QString& text, const QStringList& buttons) override;
    void tell(QWidget* parent, const QString& title, const QString& text) override;
    void inform(QWidget* parent, const QString& title, const QString& text) override;
    std::optional<QString> openFile(QWidget* parent, const QString& caption, const QStringList& extensions) override;
    std::optional<QString> saveFile(
        QWidget* parent, const QString& caption, const QString& proposedPath, const QString& extension) override;
};

} // namespace navora
