#pragma once

#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"
#include "documents/Dialogs.h"
#include "documents/DocumentController.h"
#include "documents/RouteDocument.h"
#include "documents/RouteWindow.h"
#include "documents/WaypointDocument.h"
#include "documents/WaypointWindow.h"

#include "support/QtApplication.h"
#include "support/ScratchDirectory.h"

#include <QStringList>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace navora::test {

// Answers the framework's questions and file panels from a script and
// records what was asked.
class ScriptedDialogs : public Dialogs {
public:
    struct Question {
        QString title;
        QString text;
        QStringList buttons;
    };

    int ask(QWidget* parent, const QString& title, const QString& text, const QStringList& buttons) override;
    void tell(QWidget* parent, const QString& title, const QString& text) override;
    std::optional<QString> openFile(QWidget* parent, const QString& caption, const QStringList& extensions) override;
    std::optional<QString> saveFile(
        QWidget* parent, const QString& caption, const QString& proposedPath, const QString& extension) override;

    // Answers, by button title, in order; an unscripted question takes the
    // last button.
    std::deque<QString> answers;
    std::deque<std::optional<QString>> openPaths;
    std::deque<std::optional<QString>> savePaths;
    std::vector<Question> questions;
    std::vector<Question> messages;
    std::vector<QStringList> openExtensions;
    QStringList proposedPaths;
};

// A document framework with its own notification centre, settings and
// scripted panels, and a temporary folder for files.
class DocumentDesk {
public:
    DocumentDesk();
    ~DocumentDesk();

    WaypointWindow& newWaypointList(const std::vector<WaypointPtr>& waypoints = {});
    RouteWindow& newRoute(const std::vector<WaypointPtr>& waypoints = {}, std::string name = {});
    QString file(const QString& name) const { return QString::fromStdString(m_dir.file(name.toStdString())); }

    NotificationCenter center;
    MemorySettingsStore store;
    std::shared_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<DocumentController> controller;

private:
    ScratchDirectory m_dir;
};

} // namespace navora::test
