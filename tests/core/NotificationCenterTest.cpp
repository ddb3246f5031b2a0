#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace navora {
namespace {

// Records which handler ran, in order.
class Journal {
public:
    NotificationCenter::Handler recorder(std::string label)
    {
        return [this, label](const NotificationObject&) { m_entries.push_back(label); };
    }
    const std::vector<std::string>& entries() const { return m_entries; }
    void add(std::string entry) { m_entries.push_back(std::move(entry)); }

private:
    std::vector<std::string> m_entries;
};

TEST(NotificationCenter, DeliversTheObjectToObserversOfTheNameInRegistrationOrder)
{
    NotificationCenter center;
    int first = 0;
    int second = 0;
    std::vector<std::string> order;
    std::optional<double> received;
    center.addObserver(&first, TRVArrivalAlertChanged, [&](const NotificationObject& object) {
        order.push_back("first");
        received = object.number();
    });
    center.addObserver(&second, TRVArrivalAlertChanged, [&](const NotificationObject&) { order.push_back("second"); });
    center.addObserver(&second, TRVUnitsChanged, [&](const NotificationObject&) { order.push_back("units"); });

    center.post(TRVArrivalAlertChanged, 30.0);
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(received, 30.0);
    center.post(TRVGrowlChanged); // nobody listens: nothing happens
    EXPECT_EQ(order.size(), 2u);
}

TEST(NotificationCenter, HandlerMayPostReentrantlyAlsoItsOwnName)
{
    NotificationCenter center;
    Journal journal;
    int passage = 0;
    int depth = 0;
    // A passage activates the next leg, which announces the active route.
    center.addObserver(&passage, TRVgpsUpdateReceived, [&](const NotificationObject&) {
        journal.add("update " + std::to_string(depth));
        if (depth++ < 2)
            center.post(TRVgpsUpdateReceived);
        center.post(TRVRouteIsActive);
    });
    center.addObserver(&journal, TRVRouteIsActive, journal.recorder("route"));

    center.post(TRVgpsUpdateReceived);
    EXPECT_EQ(
        journal.entries(), (std::vector<std::string>{"update 0", "update 1", "update 2", "route", "route", "route"}));
}

// Removed during a post, by another handler or by itself (which finishes).
TEST(NotificationCenter, ObserverRemovedDuringAPostIsNotCalledAfterwards)
{
    NotificationCenter center;
    Journal journal;
    int remover = 0;
    int removed = 0;
    center.addObserver(&remover, TRVRouteIsActive, [&](const NotificationObject&) {
        journal.add("remover");
        center.removeObserver(&removed);
        center.removeObserver(&remover);
        journal.add("finished");
    });
    center.addObserver(&removed, TRVRouteIsActive, journal.recorder("removed"));

    center.post(TRVRouteIsActive);
    center.post(TRVRouteIsActive);
    EXPECT_EQ(journal.entries(), (std::vector<std::string>{"remover", "finished"}));
}

TEST(NotificationCenter, RemovalTakesEveryNameOfThatObserverOnly)
{
    NotificationCenter center;
    Journal journal;
    int leaving = 0;
    int staying = 0;
    for (const std::string_view name : {TRVServerPortChanged, TRVUnitsChanged, TRVMNFloatChanged})
        center.addObserver(&leaving, name, journal.recorder("leaving"));
    center.addObserver(&staying, TRVUnitsChanged, journal.recorder("staying"));

    center.removeObserver(&leaving);
    for (const std::string_view name : {TRVServerPortChanged, TRVUnitsChanged, TRVMNFloatChanged})
        center.post(name);
    EXPECT_EQ(journal.entries(), (std::vector<std::string>{"staying"}));
    EXPECT_EQ(center.observerCount(TRVServerPortChanged), 0u);
    EXPECT_EQ(center.observerCount(TRVUnitsChanged), 1u);
    center.removeObserver(&leaving); // a second removal is harmless
}

// Added during a post it hears the next one; added twice, it is called twice.
TEST(NotificationCenter, ObserverAddedDuringAPostHearsTheNextOne)
{
    NotificationCenter center;
    Journal journal;
    int opener = 0;
    int opened = 0;
    center.addObserver(&opener, TRVWDneedsCP, [&](const NotificationObject&) {
        journal.add("opener");
        center.addObserver(&opened, TRVWDneedsCP, journal.recorder("opened"));
    });
    center.post(TRVWDneedsCP);
    center.removeObserver(&opener);
    center.addObserver(&opened, TRVWDneedsCP, journal.recorder("again"));
    center.post(TRVWDneedsCP);
    EXPECT_EQ(journal.entries(), (std::vector<std::string>{"opener", "opened", "again"}));
}

TEST(NotificationCenter, EmptyHandlerIsLoggedAndIgnored)
{
    test::LogCapture log;
    NotificationCenter center;
    int observer = 0;
    center.addObserver(&observer, TRVGrowlChanged, {});
    center.post(TRVGrowlChanged);
    EXPECT_EQ(center.observerCount(TRVGrowlChanged), 0u);
    EXPECT_EQ(
        log.lines(), (std::vector<std::string>{"Observer of TRVGrowlChanged registered without a handler; ignored"}));
}

TEST(NotificationCenter, DefaultCenterIsOneInstance)
{
    EXPECT_EQ(&NotificationCenter::defaultCenter(), &NotificationCenter::defaultCenter());
}

} // namespace
} // namespace navora
