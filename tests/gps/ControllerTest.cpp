// The GPS controller as a façade: the settings it reads and observes, and how
// it delivers what the engine gives back (one batch per call, alerts with the
// speech asked for, notifications), also to an observer that calls back in.
#include "gps/NavHarness.h"
#include "nav/NavGeometry.h"

#include "core/NotificationNames.h"
#include "core/SettingsKeys.h"
#include "nav/DisplayFields.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <thread>

namespace navora::test {
namespace {

namespace f = navora::fields;
constexpr double nm = NavGeometry::nm;
using Strings = std::vector<std::string>;

// The stored settings are taken as the window loads; preferences then arrive
// as notifications.
TEST(ControllerSettings, WindowLoadTakesTheStoredSettingsAndObserversFollowThePreferences)
{
    LogCapture log;
    NavHarness nav;
    GPSController& controller = nav.controller();
    Settings& settings = nav.harness.settings;
    settings.setInteger(TRVUnitsKey, 's');
    settings.setInteger(TRVArrivalAlertKey, 30);
    settings.setInteger(TRVProtocolKey, 1);
    controller.windowDidLoad();
    EXPECT_EQ(controller.units(), 's');
    EXPECT_EQ(controller.dstconv(), 1852.0);
    EXPECT_EQ(controller.dst_units(), "m");
    EXPECT_EQ(nav.shown().text(f::unitsDistance), "m");
    EXPECT_EQ(controller.arrivalAlertSeconds(), 30);
    EXPECT_FLOAT_EQ(controller.arrivalAlertHours(), 30.0f / 3600.0f);
    EXPECT_EQ(controller.gpsdProtocol(), 1);
    EXPECT_EQ(controller.server(), "localhost");
    EXPECT_EQ(controller.port(), "2947");

    NotificationCenter& center = nav.harness.center;
    const std::pair<int, char> rows[] = {{0, 'n'}, {1, 'm'}, {2, 'i'}, {3, 's'}, {4, 's'}, {-1, 's'}};
    for (const auto& [row, code] : rows) {
        ControlState matrix;
        matrix.selectedRow = row;
        center.post(TRVUnitsChanged, NotificationObject(matrix));
        EXPECT_EQ(controller.units(), code) << row;
    }
    EXPECT_TRUE(log.contains("Unknown units - row 4 - selected"));
    EXPECT_TRUE(log.contains("Unknown units - row -1 - selected"));

    center.post(TRVArrivalAlertChanged, NotificationObject(60.0));
    EXPECT_EQ(controller.arrivalAlertSeconds(), 60);
    center.post(TRVArrivalAlertChanged, NotificationObject(std::nan("")));
    EXPECT_TRUE(log.contains("Ignoring an arrival alert time that is not a number of seconds"));
    EXPECT_EQ(controller.arrivalAlertSeconds(), 60);

    ControlState box;
    box.state = false;
    center.post(TRVMNFloatChanged, NotificationObject(box));
    EXPECT_EQ(nav.shown().field(f::miniNavWindow)->floating, false);
}

// A port longer than five characters is refused; while not running a change
// is only stored.
TEST(ControllerSettings, APortLongerThanFiveCharactersIsRefused)
{
    LogCapture log;
    NavHarness nav;
    GPSController& controller = nav.controller();
    Settings& settings = nav.harness.settings;
    NotificationCenter& center = nav.harness.center;
    settings.setString(TRVgpsdPortKey, "29470");
    settings.setString(TRVgpsdServerKey, "gps.example");
    center.post(TRVServerPortChanged);
    EXPECT_EQ(controller.port(), "29470");
    settings.setString(TRVgpsdPortKey, "2947000");
    settings.setString(TRVgpsdServerKey, "");
    log.clear();
    center.post(TRVServerPortChanged);
    EXPECT_EQ(controller.port(), "29470");
    EXPECT_EQ(controller.server(), "gps.example");
    EXPECT_EQ(log.lines(), Strings{"GPSd port \"2947000\" is longer than 5 characters - keeping port 29470"});
}

TEST(ControllerDelivery, AReportIsOneBatchAndAnnouncesANewPosition)
{
    NavHarness nav;
    int announced = 0;
    nav.harness.center.addObserver(&announced, TRVcpUpdated, [&](const NotificationObject& object) {
        ++announced;
        EXPECT_EQ(object.sender<GPSController>(), &nav.controller());
    });
    nav.harness.display->clear();
    nav.report(1 * nm, 2 * nm, 5.0, 90.0, 0);
    nav.report(1 * nm, 2.1 * nm, 5.0, 90.0, 1);
    EXPECT_EQ(nav.harness.display->batchCount(), 2u);
    EXPECT_EQ(announced, 1);
    EXPECT_DOUBLE_EQ(nav.controller().lon(), 2.1 * nm);
    EXPECT_EQ(nav.controller().lastMode(), 3);
    // Documents asking for the position hear of it again.
    nav.harness.center.post(TRVWDneedsCP);
    EXPECT_EQ(announced, 2);
    nav.reportNoFix(2);
    EXPECT_EQ(announced, 3);
    EXPECT_FALSE(nav.controller().currentPos());
    nav.harness.center.removeObserver(&announced);
}

TEST(ControllerDelivery, AlertsSpeakWhatTheDispatcherAsksFor)
{
    NavHarness nav;
    RecordingAlertDispatcher& dispatcher = *nav.harness.alerts;
    dispatcher.setSayWhat(1);
    nav.report(0.0, 0.0, 10.0, 0.0, 0);
    nav.harness.center.post(TRVWaypointActivated,
        NotificationObject(Waypoint::create("X", "the harbour", static_cast<float>(0.07 * nm), 0.0f, 0.0f)));
    nav.report(0.0, 0.0, 10.0, 0.0, 1);
    nav.report(0.01 * nm, 0.0, 10.0, 0.0, 2);
    const std::vector<RecordingAlertDispatcher::Alert> alerts = dispatcher.alerts();
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0].key, "GPSModeUp3D");
    EXPECT_EQ(alerts[1].key, "WaypointArrival");
    EXPECT_EQ(alerts[1].description, "Arrival at waypoint X in 15 seconds");
    EXPECT_EQ(alerts[1].speech, "the harbour in 15 seconds");
    EXPECT_EQ(dispatcher.beeps(), 2);
}

// A route document waiting for the first position activates its route from
// the position's announcement, on the GPS thread, inside the report.
TEST(ControllerDelivery, AnObserverOfTheReportMayActivateARoute)
{
    NavHarness nav;
    RoutePtr r = NavHarness::route("R", {{0.0, 0.0}, {10 * nm, 0.0}});
    nav.harness.center.addObserver(&r, TRVcpUpdated, [&](const NotificationObject&) {
        r->setActiveIndex(1);
        nav.harness.center.post(TRVRouteActivated, NotificationObject(r));
    });
    nav.harness.display->clear();
    nav.report(5 * nm, 0.0, 5.0, 0.0, 0);
    nav.harness.center.removeObserver(&r);
    EXPECT_EQ(nav.harness.display->batchCount(), 1u) << "the activation's writes join the report's batch";
    EXPECT_EQ(nav.controller().activeRoute(), r);
    ASSERT_EQ(nav.routesAnnounced.size(), 1u);
    EXPECT_EQ(nav.routesAnnounced[0], r);
    // The activation's writes come after the report's, which cleared the leg.
    EXPECT_EQ(nav.shown().title(f::wpBox), "R: A->B (end)");
    EXPECT_NE(nav.shown().text(f::wpETE), "");
}

TEST(ControllerDelivery, ModeZeroAsksAgainOncePerQuietInterval)
{
    NavHarness nav;
    nav.link->queries.clear();
    nav.report(0.0, 0.0, 0.0, 0.0, 0, 0);
    nav.report(0.0, 0.0, 0.0, 0.0, 0, 0);
    EXPECT_EQ(nav.link->queries, Strings{"omyx\n"});
    std::this_thread::sleep_for(ControllerHarness::fastTimings().quietWait);
    nav.report(0.0, 0.0, 0.0, 0.0, 0, 0);
    nav.report(0.0, 0.0, 0.0, 0.0, 0, 1);
    EXPECT_EQ(nav.link->queries, (Strings{"omyx\n", "omyx\n"}));
}

} // namespace
} // namespace navora::test
