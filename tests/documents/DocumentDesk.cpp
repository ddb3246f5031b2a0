#include "documents/DocumentDesk.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace navora::test {

int ScriptedDialogs::ask(QWidget*, const QString& title, const QString& text, const QStringList& buttons)
{
    questions.push_back({title, text, buttons});
    const auto index = answers.empty() ? -1 : buttons.indexOf(answers.front());
    if (!answers.empty() && index < 0)
        ADD_FAILURE() << "scripted answer is not a button: " << answers.front().toStdString();
    if (!answers.empty())
        answers.pop_front();
    return static_cast<int>(index < 0 ? buttons.size() - 1 : index);
}

// A scripted answer; an empty optional stands for a cancelled panel. The
// answer is copied before the pop, which keeps GCC's uninitialised-value
// analysis of std::optional<QString> quiet.
static std::optional<QString> takeFront(std::deque<std::optional<QString>>& answers)
{
    if (answers.empty())
        return std::nullopt;
    const bool given = answers.front().has_value();
    const QString path = given ? *answers.front() : QString();
    answers.pop_front();
    return given ? std::optional<QString>(path) : std::nullopt;
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

// The window of a new document holding the waypoints; the test ends when there is none.
template <typename Window, typename Type>
static Window& newWindow(DocumentController& controller, const char* type, const std::vector<WaypointPtr>& waypoints)
{
    ExchangeDocument* document = controller.makeUntitledDocumentOfType(type);
    for (const WaypointPtr& waypoint : waypoints)
        document->addWP(waypoint);
    auto* window = qobject_cast<Window*>(controller.windowFor(*static_cast<Document*>(static_cast<Type*>(document))));
    if (!window)
        std::abort();
    return *window;
}

WaypointWindow& DocumentDesk::newWaypointList(const std::vector<WaypointPtr>& waypoints)
{
    auto& window = newWindow<WaypointWindow, WaypointDocument>(*controller, "Navora Waypoints File", waypoints);
    window.waypointDocument().wpTableModel().reload();
    return window;
}

RouteWindow& DocumentDesk::newRoute(const std::vector<WaypointPtr>& waypoints, std::string name)
{
    auto& window = newWindow<RouteWindow, RouteDocument>(*controller, "Navora Route File", waypoints);
    if (!name.empty())
        window.routeDocument().route()->setRouteName(name);
    // As an import completes: the name shown, the table reloaded; then taken as unedited.
    window.routeDocument().refresh();
    window.routeDocument().updateChangeCount(Document::ChangeType::Cleared);
    return window;
}

} // namespace navora::test
