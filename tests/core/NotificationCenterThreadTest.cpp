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
            std::this_thread::sleep_for(50ms);
            otherFinished = true;
        } else {
            waitFor(otherInside);
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

} // namespace
} // namespace navora
