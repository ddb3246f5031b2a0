#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"
#include "core/NotificationObject.h"
#include "model/Route.h"
#include "model/Waypoint.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace navora {
namespace {

// Records which handler ran, in order.
struct Journal {
    NotificationCenter::Handler recorder(std::string label)
    {
        return [this, label](const NotificationObject&) { entries.push_back(label); };
    }
    std::vector<std::string> entries;
};

// Observers of a name hear its posts in registration order, with the object;
// a name nobody observes is posted to nobody.
TEST(NotificationCenter, DeliversTheObjectToObserversOfTheNameInRegistrationOrder)
{
    NotificationCenter center;
    Journal journal;
    int first = 0;
    int second = 0;
    std::optional<double> received;
    center.addObserver(&first, TRVArrivalAlertChanged, [&](const NotificationObject& object) {
        journal.entries.push_back("first");
        received = object.number();
    });
    center.addObserver(&second, TRVArrivalAlertChanged, journal.recorder("second"));
    center.addObserver(&second, TRVUnitsChanged, journal.recorder("units"));
    center.post(TRVArrivalAlertChanged, 30.0);
    center.post(TRVGrowlChanged);
    EXPECT_EQ(journal.entries, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(received, 30.0);
}

// A passage activates the next leg, which announces the active route: a
// handler may post, its own name too.
TEST(NotificationCenter, HandlerMayPostReentrantlyAlsoItsOwnName)
{
    NotificationCenter center;
    Journal journal;
    int passage = 0;
    int depth = 0;
    center.addObserver(&passage, TRVgpsUpdateReceived, [&](const NotificationObject&) {
        journal.entries.push_back("update " + std::to_string(depth));
        if (depth++ < 2)
            center.post(TRVgpsUpdateReceived);
        center.post(TRVRouteIsActive);
    });
    center.addObserver(&journal, TRVRouteIsActive, journal.recorder("route"));
    center.post(TRVgpsUpdateReceived);
    EXPECT_EQ(
        journal.entries, (std::vector<std::string>{"update 0", "update 1", "update 2", "route", "route", "route"}));
}

// Removed during a post, by another handler or by itself (which finishes),
// an observer is not called afterwards; added during a post, it hears the
// next one; added twice, it is called twice.
TEST(NotificationCenter, ObserversAddedOrRemovedDuringAPost)
{
    NotificationCenter center;
    Journal journal;
    int remover = 0;
    int removed = 0;
    center.addObserver(&remover, TRVRouteIsActive, [&](const NotificationObject&) {
        journal.entries.push_back("remover");
        center.removeObserver(&removed);
        center.removeObserver(&remover);
        journal.entries.push_back("finished");
        center.addObserver(&removed, TRVRouteIsActive, journal.recorder("opened"));
    });
    center.addObserver(&removed, TRVRouteIsActive, journal.recorder("removed"));
    center.post(TRVRouteIsActive);
    center.post(TRVRouteIsActive);
    center.addObserver(&removed, TRVRouteIsActive, journal.recorder("again"));
    center.post(TRVRouteIsActive);
    EXPECT_EQ(journal.entries, (std::vector<std::string>{"remover", "finished", "opened", "opened", "again"}));
}

// Removal takes every name of that observer only (a second time, nothing);
// an empty handler is logged and not registered.
TEST(NotificationCenter, RemovalTakesEveryNameOfThatObserverOnlyAndEmptyHandlersAreRefused)
{
    test::LogCapture log;
    NotificationCenter center;
    Journal journal;
    int leaving = 0;
    int staying = 0;
    const std::string_view names[] = {TRVServerPortChanged, TRVUnitsChanged, TRVMNFloatChanged};
    for (const std::string_view name : names)
        center.addObserver(&leaving, name, journal.recorder("leaving"));
    center.addObserver(&staying, TRVUnitsChanged, journal.recorder("staying"));
    center.addObserver(&staying, TRVGrowlChanged, {});
    center.removeObserver(&leaving);
    center.removeObserver(&leaving);
    for (const std::string_view name : names)
        center.post(name);
    center.post(TRVGrowlChanged);
    EXPECT_EQ(journal.entries, (std::vector<std::string>{"staying"}));
    EXPECT_EQ(center.observerCount(TRVServerPortChanged), 0u);
    EXPECT_EQ(center.observerCount(TRVUnitsChanged), 1u);
    EXPECT_EQ(center.observerCount(TRVGrowlChanged), 0u);
    EXPECT_EQ(
        log.lines(), (std::vector<std::string>{"Observer of TRVGrowlChanged registered without a handler; ignored"}));
}

// Removal waits for a handler running on another thread, but not for the
// handler it is called from (which would deadlock).
TEST(NotificationCenterThreads, RemovalWaitsForHandlersOnOtherThreadsOnly)
{
    NotificationCenter center;
    int observer = 0;
    std::atomic<bool> otherInside{false};
    std::atomic<bool> otherFinished{false};
    std::atomic<int> calls{0};
    center.addObserver(&observer, TRVRouteIsActive, [&](const NotificationObject& object) {
        ++calls;
        if (object.number() == 1.0) {
            otherInside = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            otherFinished = true;
        } else {
            while (!otherInside)
                std::this_thread::yield();
            center.removeObserver(&observer);
            EXPECT_TRUE(otherFinished.load());
        }
    });
    std::thread other([&] { center.post(TRVRouteIsActive, 1.0); });
    center.post(TRVRouteIsActive, 2.0);
    other.join();
    center.post(TRVRouteIsActive, 2.0);
    EXPECT_EQ(calls.load(), 2);
}

// Observers come and go on six threads while a long-lived one re-posts, so
// handlers run nested everywhere; each is destroyed right after its removal,
// so a handler still running elsewhere would touch freed memory.
TEST(NotificationCenterThreads, ConcurrentPostsRegistrationsAndRemovals)
{
    constexpr int threadCount = 6;
    constexpr int rounds = 300;
    constexpr std::array<std::string_view, 3> names = {TRVcpUpdated, TRVRouteIsActive, TRVgpsUpdateReceived};
    NotificationCenter center;
    std::atomic<long> delivered{0};
    int relay = 0;
    center.addObserver(&relay, TRVgpsUpdateReceived, [&](const NotificationObject&) {
        delivered.fetch_add(1);
        center.post(TRVcpUpdated);
    });

    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < rounds; ++round) {
                auto calls = std::make_unique<std::atomic<int>>(0);
                std::atomic<int>* target = calls.get();
                const std::string_view name = names[static_cast<size_t>(round + t) % names.size()];
                center.addObserver(target, name, [target, &delivered](const NotificationObject&) {
                    target->fetch_add(1);
                    delivered.fetch_add(1);
                });
                center.post(name);
                center.post(names[static_cast<size_t>(round) % names.size()]);
                EXPECT_GE(target->load(), 1);
                center.removeObserver(target);
                calls.reset();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_GE(delivered.load(), threadCount * rounds);
    for (const std::string_view name : names)
        EXPECT_EQ(center.observerCount(name), name == TRVgpsUpdateReceived ? 1u : 0u) << name;
}

TEST(NotificationObject, EachAccessorAnswersOnlyForItsOwnKind)
{
    // A sender is told apart by the type it was posted as.
    int intSender = 0;
    double doubleSender = 0.0;
    const auto waypoint = Waypoint::create("WP1", "", 1.0f, 2.0f, 3.0f);
    const auto route = Route::create();
    const ControlState control{3, true, 2, 1, RouteColour::routeDefault()};

    const NotificationObject objects[] = {{}, waypoint, route, 4.0, NotificationObject::sentBy(&intSender),
        NotificationObject::sentBy(&doubleSender), control};
    for (size_t i = 0; i < std::size(objects); ++i) {
        const NotificationObject& object = objects[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(object.isNone(), i == 0);
        EXPECT_EQ(object.waypoint(), i == 1 ? waypoint : nullptr);
        EXPECT_EQ(object.route(), i == 2 ? route : nullptr);
        EXPECT_EQ(object.number(), i == 3 ? std::optional<double>(4.0) : std::nullopt);
        EXPECT_EQ(object.sender<int>(), i == 4 ? &intSender : nullptr);
        EXPECT_EQ(object.sender<double>(), i == 5 ? &doubleSender : nullptr);
        EXPECT_EQ(object.controlState(), i == 6 ? std::optional<ControlState>(control) : std::nullopt);
    }
    // An empty route means navigation stopped: it is something.
    const NotificationObject stopped = RoutePtr();
    EXPECT_FALSE(stopped.isNone());
    EXPECT_EQ(stopped.route(), nullptr);
}

} // namespace
} // namespace navora
