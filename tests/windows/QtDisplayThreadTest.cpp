// Batches handed over from another thread reach the windows whole and in
// the order given; one given on the user-interface thread goes after those
// still on their way. Alerts raised on the GPS thread reach the alert line.
#include "gps/windows/ControllerWindow.h"
#include "gps/windows/GPSWindows.h"
#include "gps/windows/QtDisplay.h"
#include "nav/DisplayFields.h"
#include "support/QtApplication.h"
#include "windows/WindowHarness.h"

#include "core/AlertDispatcher.h"

#include <QCoreApplication>
#include <QLabel>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace navora::test {
namespace {

namespace f = navora::fields;

class DisplayThreads : public testing::Test {
protected:
    std::string shown(std::string_view name) const { return display->snapshot(std::array{name}).at(std::string(name)); }

    // Declared in this order, the display goes before its windows.
    std::unique_ptr<GPSWindows> windows = [] {
        ensureWidgetApplication();
        return std::make_unique<GPSWindows>();
    }();
    std::shared_ptr<QtDisplay> display = std::make_shared<QtDisplay>(windows->all());
};

// One report's worth: the sequence number in two fields, one indicator step.
DisplayBatch numbered(int sequence)
{
    DisplayBatch batch;
    batch.setText(f::fixTime, std::to_string(sequence));
    batch.stepIndicator(f::gpsDataIndicator);
    for (int i = 0; i < 20; ++i)
        batch.setNumber(f::fixAltitude, i);
    batch.setText(f::fixMode, std::to_string(sequence));
    return batch;
}

TEST_F(DisplayThreads, BatchesFromTheGpsThreadArriveWholeAndInOrder)
{
    constexpr int count = 2000;
    std::thread gps([display = display] {
        for (int sequence = 1; sequence <= count; ++sequence)
            display->apply(numbered(sequence));
    });
    int last = 0;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (last < count && std::chrono::steady_clock::now() < giveUp) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const std::string time = shown(f::fixTime);
        const int now = time.empty() ? 0 : std::stoi(time);
        // Between events the windows show one whole batch, never part of one.
        ASSERT_EQ(shown(f::fixMode), time);
        ASSERT_GE(now, last);
        last = now;
    }
    gps.join();
    processEvents();
    EXPECT_EQ(shown(f::fixTime), std::to_string(count));
    EXPECT_EQ(shown(f::gpsDataIndicator), std::to_string(count));
}

TEST_F(DisplayThreads, ABatchOfTheUserInterfaceThreadGoesAfterThoseQueued)
{
    std::thread gps([display = display] {
        for (int sequence = 1; sequence <= 50; ++sequence)
            display->apply(numbered(sequence));
    });
    gps.join();
    // Nothing has run on this thread yet: the fifty wait in the queue.
    EXPECT_EQ(shown(f::fixTime), "");
    DisplayBatch mine;
    mine.setText(f::fixTime, "closed");
    mine.setVisible(f::window, false);
    display->apply(std::move(mine));
    EXPECT_EQ(shown(f::fixTime), "closed");
    EXPECT_EQ(shown(f::fixMode), "50");
    EXPECT_EQ(shown(f::gpsDataIndicator), "50");
    processEvents();
    EXPECT_EQ(shown(f::fixTime), "closed");
    // Batches still queued when the display goes are dropped.
    std::thread again([display = display] { display->apply(numbered(51)); });
    again.join();
    display.reset();
    processEvents();
    EXPECT_EQ(windows->gpsWindow().findChild<QWidget*>("fixTime")->property("text").toString(), "closed");
}

// The line of each window: the local time the alert came and its text, the
// alert table's for a plain alert, the caller's otherwise; empty once the
// hold has passed.
TEST(AlertLines, AnAlertFromTheGpsThreadShowsInEveryWindowForAWhile)
{
    WindowHarness harness(std::chrono::milliseconds(300));
    AlertDispatcher* alerts = harness.controller().ac();
    ASSERT_NE(alerts, nullptr);
    const auto lines = [&harness] {
        std::vector<QString> texts;
        for (const char* name : {"gpsAlertLine", "navAlertLine", "mnAlertLine"})
            texts.push_back(harness.field<QLabel>(name)->text());
        return texts;
    };
    const std::pair<std::string, QString> rows[]
        = {{"", "The GPS receiver has gone offline: no position is coming in."},
            {"Arrival at Harbour - 2024-05-01 14:00:00 +0200", "Arrival at Harbour - 2024-05-01 14:00:00 +0200"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.first);
        std::thread gps([alerts, &row] {
            if (row.first.empty())
                alerts->alertAllForKey("GPSOffline");
            else
                alerts->alertAllForKey("DestinationArrival", row.first, "Harbour");
        });
        gps.join();
        ASSERT_TRUE(processEventsUntil([&] { return lines()[0].endsWith(row.second); }));
        for (const QString& line : lines())
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d  ")).match(line).hasMatch()
                && line.endsWith(row.second))
                << line.toStdString();
    }
    EXPECT_TRUE(processEventsUntil([&] { return lines() == std::vector<QString>(3); }));
}

} // namespace
} // namespace navora::test
