#pragma once

#include "core/NotificationCenter.h"
#include "documents/DocumentFieldNames.h"
#include "documents/DocumentHost.h"
#include "documents/RouteDocument.h"
#include "documents/RouteDocumentView.h"
#include "documents/WaypointDocument.h"
#include "documents/WaypointDocumentView.h"
#include "support/QtApplication.h"

#include <QCoreApplication>
#include <QString>
#include <QThread>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// The document logic's surroundings without widgets: a window that records
// what it is asked, and a host that holds the open documents.
namespace navora::test {

using Names = std::vector<std::string>;

// Every call is counted when it comes off the user-interface thread.
class RecordingView : public WaypointDocumentView, public RouteDocumentView {
public:
    void openDetailSheet() override { sheetOpen = onUiThread(); }
    // As a window's sheet does: its end reaches the document.
    void closeDetailSheet() override
    {
        if (sheetOpen && onUiThread())
            sheetEnded();
        sheetOpen = false;
    }
    void openNearestPanel() override { nearestOpen = onUiThread(); }
    void closeNearestPanel() override
    {
        onUiThread();
        nearestOpen = false;
    }
    void deselectAll() override { deselections += onUiThread(); }
    void selectRow(int row) override { selectedRow = row; }
    bool askQuestion(
        const std::string& title, const std::string& message, const std::string& yes, const std::string& no) override
    {
        questions.push_back(title + "|" + message + "|" + yes + "|" + no);
        return answer && onUiThread();
    }
    void tell(const std::string& title, const std::string& message) override { told.push_back(title + "|" + message); }
    void showRouteLock(bool locked) override { lockShown = locked && onUiThread(); }
    // False, and counted, off the user-interface thread.
    bool onUiThread()
    {
        const bool on = QThread::currentThread() == QCoreApplication::instance()->thread();
        offThread += on ? 0 : 1;
        return on;
    }

    bool sheetOpen = false;
    bool nearestOpen = false;
    bool answer = false;
    bool lockShown = false;
    int deselections = 0;
    int selectedRow = -1;
    Names questions;
    Names told;
    std::function<void()> sheetEnded;
    std::atomic<int> offThread = 0;
};

// The open documents, each with its recording window.
class Desk : public DocumentHost {
public:
    Desk() { ensureCoreApplication(); }

    std::shared_ptr<WaypointDocument> list(const std::vector<WaypointPtr>& waypoints)
    {
        return open(std::make_shared<WaypointDocument>(services()), waypoints);
    }
    std::shared_ptr<RouteDocument> route(const std::vector<WaypointPtr>& waypoints, std::string name = {})
    {
        auto document = std::make_shared<RouteDocument>(services());
        if (!name.empty())
            document->route()->setRouteName(name);
        return open(document, waypoints);
    }
    RecordingView& view(const Document& document) { return *m_views.at(&document); }
    // The framework lets the document go; its window's record stays.
    void close(const Document& document)
    {
        std::erase_if(m_documents, [&document](const DocumentPtr& open) { return open.get() == &document; });
    }

    ExchangeDocument* makeUntitledDocumentOfType(std::string_view) override { return nullptr; }
    std::vector<ExchangeDocument*> documents() const override
    {
        std::vector<ExchangeDocument*> open;
        for (const DocumentPtr& document : m_documents)
            open.push_back(document.get());
        return open;
    }
    ExchangeDocument* keyDocument() const override { return nullptr; }
    std::optional<std::string> chooseFileToOpen(std::string_view extension) override
    {
        asked.emplace_back(extension);
        return chosen;
    }
    DocumentPtr openDocumentWithContentsOfFile(const std::string& path, bool, std::string& error) override
    {
        auto document = std::make_shared<WaypointDocument>(services());
        return document->readFromFile(path, error) ? open(document, {}) : nullptr;
    }
    void showDocument(Document& document) override { shown.push_back(&document); }

    NotificationCenter center;
    Names asked;
    std::optional<std::string> chosen;
    std::vector<Document*> shown;
    // The "Units" setting the documents see.
    char units = 'n';

private:
    DocumentServices services()
    {
        return {center, *this, {}, [this] { return units; }};
    }
    template <typename Type>
    std::shared_ptr<Type> open(const std::shared_ptr<Type>& document, const std::vector<WaypointPtr>& waypoints)
    {
        for (const WaypointPtr& waypoint : waypoints)
            document->addWP(waypoint);
        m_documents.push_back(document);
        auto& view = *(m_views[document.get()] = std::make_unique<RecordingView>());
        view.sheetEnded = [document = document.get()] { document->sheetDidEnd(); };
        document->windowControllerDidLoadNib(view);
        return document;
    }

    std::map<const Document*, std::unique_ptr<RecordingView>> m_views;
    std::vector<DocumentPtr> m_documents;
};

inline WaypointPtr waypoint(const std::string& name, float latitude = 1.0f, float longitude = 2.0f)
{
    return Waypoint::create(name, name + " comment", latitude, longitude, 0.0f);
}

// The names of a list joined by commas.
inline std::string namesOf(const WaypointList& list)
{
    std::string names;
    for (const WaypointPtr& waypoint : list)
        names += (&waypoint == &list.front() ? "" : ",") + waypoint->wpName();
    return names;
}

// A waypoint as "name|comment|latitude|longitude|altitude".
inline std::string describe(const Waypoint& w)
{
    const auto number = [](float value) { return QString::number(static_cast<double>(value)).toStdString(); };
    return w.wpName() + "|" + w.wpComment() + "|" + number(w.latitude()) + "|" + number(w.longitude()) + "|"
        + number(w.altitude());
}

// The texts of the named fields joined by '|', and their enabled states as 0 and 1.
inline std::string texts(const FormState& form, std::initializer_list<std::string_view> names)
{
    std::string shown;
    for (const std::string_view& name : names)
        shown += (&name == names.begin() ? "" : "|") + form.text(name);
    return shown;
}
inline std::string enabled(const FormState& form, std::initializer_list<std::string_view> names)
{
    std::string shown;
    for (const std::string_view name : names)
        shown += form.isEnabled(name) ? '1' : '0';
    return shown;
}

// What the user types into the named fields.
inline void type(FormState& form, std::initializer_list<std::pair<std::string_view, const char*>> fields)
{
    for (const auto& [name, text] : fields)
        form.takeUserText(name, text);
}

} // namespace navora::test
