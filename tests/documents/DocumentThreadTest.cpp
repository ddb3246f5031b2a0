// "TRVcpUpdated" and "TRVRouteIsActive" can arrive on the GPS thread; the
// documents apply them on the user-interface thread only. Qt Core only, no
// widgets: the thread sanitizer sees our own hand-over.
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"
#include "documents/DocumentFieldNames.h"
#include "documents/DocumentHost.h"
#include "documents/RouteDocument.h"
#include "documents/RouteDocumentView.h"
#include "documents/WaypointDocument.h"
#include "documents/WaypointDocumentView.h"
#include "support/QtApplication.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace navora {
namespace {

class NoHost : public DocumentHost {
public:
    ExchangeDocument* makeUntitledDocumentOfType(std::string_view) override { return nullptr; }
    std::vector<ExchangeDocument*> documents() const override { return {}; }
    ExchangeDocument* keyDocument() const override { return nullptr; }
    std::optional<std::string> chooseFileToOpen(std::string_view) override { return std::nullopt; }
    DocumentPtr openDocumentWithContentsOfFile(const std::string&, bool, std::string&) override { return nullptr; }
    void showDocument(Document&) override { }
};

// Counts the window calls that happen off the user-interface thread.
class ThreadCheckingViews : public WaypointDocumentView, public RouteDocumentView {
public:
    void openDetailSheet() override { check(); }
    void closeDetailSheet() override { check(); }
    void openNearestPanel() override { check(); }
    void closeNearestPanel() override { check(); }
    void deselectAll() override { check(); }
    bool askQuestion(const std::string&, const std::string&, const std::string&, const std::string&) override
    {
        check();
        return false;
    }
    void showRouteLock(bool locked) override
    {
        check();
        lastLock = locked;
        ++lockShown;
    }

    void check()
    {
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            ++offThread;
    }

    std::atomic<int> offThread = 0;
    bool lastLock = false;
    int lockShown = 0;
};

TEST(DocumentThreadTest, PositionAndRouteNotificationsFromAnotherThreadReachTheWindowsOnTheirThread)
{
    test::ensureCoreApplication();
    NotificationCenter center;
    NoHost host;
    ThreadCheckingViews views;
    const DocumentServices services{center, host, {}};
    auto waypoints = std::make_shared<WaypointDocument>(services);
    auto route = std::make_shared<RouteDocument>(services);
    waypoints->windowControllerDidLoadNib(views);
    route->windowControllerDidLoadNib(views);
    const int lockShownBefore = views.lockShown;

    const WaypointPtr ppos = Waypoint::create("PPOS", "", 1.0f, 2.0f, 3.0f);
    const RoutePtr active = route->route();
    std::atomic<bool> done = false;
    std::thread gps([&] {
        for (int i = 0; i < 200; ++i) {
            // The GPS controller moves its position as it posts.
            ppos->setPosition(1.0f + static_cast<float>(i) * 0.001f, 2.0f, 3.0f, "fix");
            center.post(TRVcpUpdated, i % 2 == 0 ? NotificationObject(ppos) : NotificationObject());
            center.post(TRVRouteIsActive, i % 2 == 0 ? NotificationObject(active) : NotificationObject());
        }
        center.post(TRVcpUpdated, ppos);
        center.post(TRVRouteIsActive, active);
        done = true;
    });
    // Meanwhile the user-interface thread runs its events and reads.
    while (!done) {
        QCoreApplication::processEvents();
        (void)waypoints->form().isEnabled(field::showNearestButton);
        (void)route->routeLocked();
    }
    gps.join();
    // Whatever the last posts queued arrives with the next events.
    QCoreApplication::processEvents();
    EXPECT_EQ(views.offThread, 0);
    EXPECT_GT(views.lockShown, lockShownBefore);
    EXPECT_TRUE(views.lastLock);
    EXPECT_TRUE(route->routeLocked());
    EXPECT_EQ(waypoints->currentPos(), ppos);
    EXPECT_TRUE(waypoints->form().isEnabled(field::showNearestButton));
    EXPECT_FALSE(route->form().isEnabled(field::routeReverseButton));
}

TEST(DocumentThreadTest, AHandOverFromAnotherThreadWaitsForTheEventLoop)
{
    test::ensureCoreApplication();
    NotificationCenter center;
    NoHost host;
    ThreadCheckingViews views;
    auto route = std::make_shared<RouteDocument>(DocumentServices{center, host, {}});
    route->windowControllerDidLoadNib(views);
    std::thread gps([&] { center.post(TRVRouteIsActive, route->route()); });
    gps.join();
    EXPECT_FALSE(route->routeLocked());
    QCoreApplication::processEvents();
    EXPECT_TRUE(route->routeLocked());

    // A document closed before the event loop runs drops what was queued.
    std::thread again([&] { center.post(TRVRouteIsActive, NotificationObject()); });
    again.join();
    route.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(views.offThread, 0);
}

} // namespace
} // namespace navora
