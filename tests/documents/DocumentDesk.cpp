#include "documents/DocumentDesk.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace navora::test {

// Ends the test program with a message: a test's own set-up is broken.
[[noreturn]] static void fatal(const std::string& message)
{
    std::fprintf(stderr, "test set-up: %s\n", message.c_str());
    std::abort();
}

int ScriptedDialogs::ask(QWidget*, const QString& title, const QString& text, const QStringList& buttons)
{
    questions.push_back({title, text, buttons});
    if (answers.empty())
        return static_cast<int>(buttons.size()) - 1;
    const QString answer = answers.front();
    answers.pop_front();
    const auto index = buttons.indexOf(answer);
    if (index < 0) {
        ADD_FAILURE() << "scripted answer is not a button: " << answer.toStdString();
        return static_cast<int>(buttons.size()) - 1;
    }
    return static_cast<int>(index);
}

// A scripted answer; an empty optional stands for a cancelled panel. The
// answer is taken apart before the pop, which keeps GCC's uninitialised-value
// analysis of std::optional<QString> quiet.
static std::optional<QString> takeFront(std::deque<std::optional<QString>>& answers)
{
    if (answers.empty() || !answers.front().has_value()) {
        if (!answers.empty())
            answers.pop_front();
        return std::nullopt;
    }
    QString path = *answers.front();
    answers.pop_front();
    return path;
}

void ScriptedDialogs::tell(QWidget*, const QString& title, const QString& text)
{
    messages.push_back({title, text, {}});
}

std::optional<QString> ScriptedDialogs::openFile(QWidget*, const QString&, const QStringList& extensions)
{
    openExtensions.push_back(extensions);
    return takeFront(openPaths);
}

std::optional<QString> ScriptedDialogs::saveFile(QWidget*, const QString&, const QString& proposedPath, const QString&)
{
    proposedPaths.push_back(proposedPath);
    return takeFront(savePaths);
}

DocumentDesk::DocumentDesk()
    : dialogs(std::make_shared<ScriptedDialogs>())
{
    ensureWidgetApplication();
    controller = std::make_unique<DocumentController>(DocumentController::Services{center, store, dialogs, {}, {}});
}

DocumentDesk::~DocumentDesk()
{
    controller.reset();
    processEvents();
}

WaypointWindow& DocumentDesk::newWaypointList(const std::vector<WaypointPtr>& waypoints)
{
    ExchangeDocument* document = controller->makeUntitledDocumentOfType("Navora Waypoints File");
    for (const WaypointPtr& waypoint : waypoints)
        document->addWP(waypoint);
    auto& window = waypointWindow(*static_cast<Document*>(static_cast<WaypointDocument*>(document)));
    window.waypointDocument().wpTableModel().reload();
    return window;
}

RouteWindow& DocumentDesk::newRoute(const std::vector<WaypointPtr>& waypoints, std::string name)
{
    ExchangeDocument* document = controller->makeUntitledDocumentOfType("Navora Route File");
    for (const WaypointPtr& waypoint : waypoints)
        document->addWP(waypoint);
    if (!name.empty())
        document->route()->setRouteName(name);
    auto& window = routeWindow(*static_cast<Document*>(static_cast<RouteDocument*>(document)));
    // As an import completes: the name shown, the table reloaded; then
    // taken as unedited.
    window.routeDocument().refresh();
    window.routeDocument().updateChangeCount(Document::ChangeType::Cleared);
    return window;
}

WaypointWindow& DocumentDesk::waypointWindow(Document& document) const
{
    auto* window = qobject_cast<WaypointWindow*>(controller->windowFor(document));
    if (!window)
        fatal("no waypoint window");
    return *window;
}

RouteWindow& DocumentDesk::routeWindow(Document& document) const
{
    auto* window = qobject_cast<RouteWindow*>(controller->windowFor(document));
    if (!window)
        fatal("no route window");
    return *window;
}

} // namespace navora::test
