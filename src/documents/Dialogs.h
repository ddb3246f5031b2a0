#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace navora {

// The modal questions, messages and file panels of the document framework
// and the document windows. The program uses QtDialogs; tests give answers
// of their own, so no test ever waits on a panel.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Asks with the buttons in order, the first being the default; returns
    // the index of the button chosen (the last one when the panel is closed
    // another way).
    virtual int ask(QWidget* parent, const QString& title, const QString& text, const QStringList& buttons) = 0;
    virtual void tell(QWidget* parent, const QString& title, const QString& text) = 0;
    // News, not a warning: by default told as tell() does.
    virtual void inform(QWidget* parent, const QString& title, const QString& text) { tell(parent, title, text); }
    // One existing file with one of the extensions (no dot); nullopt when
    // cancelled.
    virtual std::optional<QString> openFile(QWidget* parent, const QString& caption, const QStringList& extensions) = 0;
    // Where to save a file with the extension, proposing proposedPath.
    virtual std::optional<QString> saveFile(
        QWidget* parent, const QString& caption, const QString& proposedPath, const QString& extension)
        = 0;
};

} // namespace navora
