#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace navora {
namespace {

using namespace std::chrono_literals;

void waitFor(const std::atomic<bool>& flag)
{
    while (!flag.load())
        std::this_thread::yield();
}

TEST(NotificationCenterThreads, RemovalWaitsForAHandlerRunningOnAnotherThread)
{
    NotificationCenter center;
    int observer = 0;
    std::atomic<bool> started{false};
    std::atomic<bool> finished{false};
    center.addObserver(&observer, TRVgpsUpdateReceived, [&](const NotificationObject&) {
        started = true;
        std::this_thread::sleep_for(50ms);
        finished = true;
    });
    std::thread gpsThread([&] { center.post(TRVgpsUpdateReceived, 3.0); });
    waitFor(started);
    center.removeObserver(&observer);
    EXPECT_TRUE(finished.load());
    gpsThread.join();
}

TEST(NotificationCenterThreads, HandlerRemovingItselfWhileAnotherThreadCallsItDoesNotDeadlock)
{
    NotificationCenter center;
    int observer = 0;
    std::atomic<bool> otherInside{false};
    std::atomic<bool> removed{false};
    std::atomic<int> calls{0};
    center.addObserver(&observer, TRVRouteIsActive, [&](const NotificationObject& object) {
        ++calls;
        if (object.number() == 1.0) {
            otherInside = true;
            std::this_thread::sleep_for(20ms);
        } else {
            waitFor(otherInside);
            center.removeObserver(&observer); // waits for the other call, not for itself
            removed = true;
        }
    });
    std::thread other([&] { center.post(TRVRouteIsActive, 1.0); });
    center.post(TRVRouteIsActive, 2.0);
    other.join();
    EXPECT_TRUE(removed.load());
    center.post(TRVRouteIsActive, 2.0);
    EXPECT_EQ(calls.load(), 2);
}

// An observer that is destroyed right after it has removed itself: a handler
// still running on another thread would touch freed memory.
struct CountingObserver {
    std::atomic<int> calls{0};
};

TEST(NotificationCenterThreads, ConcurrentPostsRegistrationsAndRemovals)
{
    constexpr int threadCount = 6;
    constexpr int rounds = 300;
    constexpr std::array<std::string_view, 3> names = {TRVcpUpdated, TRVRouteIsActive, TRVgpsUpdateReceived};
    NotificationCenter center;
    std::atomic<long> delivered{0};

    // One long-lived observer re-posts, so handlers run nested on every thread.
    int relay = 0;
    center.addObserver(&relay, TRVgpsUpdateReceived, [&](const NotificationObject&) {
        delivered.fetch_add(1);
        center.post(TRVcpUpdated);
    });

    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < rounds; ++round) {
                auto observer = std::make_unique<CountingObserver>();
                CountingObserver* target = observer.get();
                const std::string_view name = names[static_cast<size_t>(round + t) % names.size()];
                center.addObserver(target, name, [target, &delivered](const NotificationObject&) {
                    target->calls.fetch_add(1);
                    delivered.fetch_add(1);
                });
                center.post(name);
                center.post(names[static_cast<size_t>(round) % names.size()]);
                EXPECT_GE(target->calls.load(), 1);
                center.removeObserver(target);
                observer.reset();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_GE(delivered.load(), threadCount * rounds);
    for (const std::string_view name : names)
        EXPECT_EQ(center.observerCount(name), name == TRVgpsUpdateReceived ? 1u : 0u) << name;
}

} // namespace
} // namespace navora
