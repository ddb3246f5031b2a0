// The application controller behind the main menu, with the real document
// framework, GPS windows and import controller (offscreen), a stub link in
// place of gpsd and scripted panels.
#include "app/AppController.h"

#include "app/update/UpdateCheck.h"
#include "core/Settings.h"
#include "documents/DocumentDesk.h"
#include "gps/StubGPSLink.h"
#include "gps/windows/GPSWindowController.h"
#include "nav/DisplayFields.h"
#include "nav/EngineHarness.h"
#include "support/Eventually.h"
#include "support/RecordingAlertDispatcher.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTest>
#include <QWidget>

#include <mutex>

#include <gtest/gtest.h>

namespace navora::test {
namespace {

// A link that records where it was asked to connect (on its GPS thread).
struct CountingLink : StubGPSLink {
    bool open(const std::string& host, const std::string& port) override { return record(host + ":" + port), false; }
    std::function<void(std::string)> record;
};

// An update check no test here lets reach a prompt: nothing listens there,
// and the checks are cancelled first.
std::unique_ptr<UpdateCheck> unansweredUpdateCheck()
{
    UpdateCheck::Options options;
    options.server = QUrl("https://127.0.0.1:1");
    options.channel = "Beta";
    options.versionString = "1.0";
    const auto fail = [] { ADD_FAILURE() << "update prompt"; };
    return std::make_unique<UpdateCheck>(options,
        UpdateCheck::Prompts{[fail](const QString&, const QString&) { return fail(), false; }, fail, fail,
            [fail](const QUrl&) { fail(); }});
}

class AppControllerTest : public testing::Test {
protected:
    AppControllerTest()
    {
        ensureWidgetApplication();
        settings.registerDefaults();
        const auto makeLink = [this]() -> std::unique_ptr<GPSLink> {
            ++linksMade;
            auto link = std::make_unique<CountingLink>();
            link->record = [this](std::string endpoint) {
                std::lock_guard lock(opensMutex);
                opensList.push_back(std::move(endpoint));
            };
            return link;
        };
        const auto askToStop = [this](std::string_view title, std::string_view, std::string_view, std::string_view) {
            stopQuestions.emplace_back(title);
            return std::exchange(stopAnswer, false);
        };
        app = std::make_unique<AppController>(AppController::Services{settings, desk.center, *desk.controller, makeLink,
            [this] { return alerts; }, GPSTimings{}, askToStop, unansweredUpdateCheck});
    }
    ~AppControllerTest() override
    {
        app.reset();
        processEvents();
    }

    GPSWindowController& gps() const { return *app->gpsController(); }
    QWidget& window(std::string_view name) const { return *gps().window(name); }
    std::vector<std::string> opens()
    {
        std::lock_guard lock(opensMutex);
        return opensList;
    }

    DocumentDesk desk;
    Settings settings{desk.store};
    std::shared_ptr<RecordingAlertDispatcher> alerts = std::make_shared<RecordingAlertDispatcher>();
    int linksMade = 0;
    std::mutex opensMutex;
    std::vector<std::string> opensList;
    std::vector<std::string> stopQuestions;
    bool stopAnswer = false;
    std::unique_ptr<AppController> app;
};

TEST_F(AppControllerTest, ShortcutsWorkFromTheGPSWindows)
{
    desk.controller->mainWindow().show();
    app->showNavWindow();
    processEvents();
    QWidget& nav = window(fields::navDataWindow);
    nav.activateWindow();
    QApplication::setActiveWindow(&nav);
    QTest::keyClick(&nav, Qt::Key_M, Qt::ControlModifier);
    processEvents();
    EXPECT_TRUE(gps().controller().mnOn());
    EXPECT_TRUE(app->mnItem()->isChecked());
    QWidget& mini = window(fields::miniNavWindow);
    QApplication::setActiveWindow(&mini);
    QTest::keyClick(&mini, Qt::Key_Period, Qt::ControlModifier);
    processEvents();
    EXPECT_EQ(app->gpsController(), nullptr);
}

TEST_F(AppControllerTest, ClosingTheNavigationWindowAsksAndStopsOnlyOnYes)
{
    app->showNavWindow();
    auto& link = dynamic_cast<StubGPSLink&>(gps().controller().gps1());
    link.data = EngineHarness::fix(52.5, 13.3, 5.0, 90.0, 12.0);
    gps().controller().updateGPS(NotificationObject(3.0));
    processEvents();
    ASSERT_TRUE(window(fields::window).isVisible());
    desk.center.post(TRVWaypointActivated, NotificationObject(Waypoint::create("Harbour", "", 52.6f, 13.3f, 0.0f)));
    processEvents();
    ASSERT_TRUE(gps().controller().activeWaypoint());
    for (const bool yes : {false, true}) {
        stopAnswer = yes;
        window(fields::navDataWindow).close();
        processEvents();
        EXPECT_EQ(window(fields::navDataWindow).isVisible(), !yes);
        EXPECT_EQ(bool(gps().controller().activeWaypoint()), !yes);
    }
    EXPECT_EQ(stopQuestions, (std::vector<std::string>{"Stop route navigation?", "Stop route navigation?"}));
}

// The activation check, the Show command and Stop GPS: one controller and
// link at a time, a fresh one after a stop.
TEST_F(AppControllerTest, StopGPSReleasesTheControllerAndShowGPSMakesAFreshOne)
{
    // The launch makes nothing and opens no untitled document.
    EXPECT_FALSE(AppController::applicationShouldOpenUntitledFile());
    EXPECT_TRUE(desk.controller->openDocuments().empty());
    app->stopGPS(); // none yet: nothing happens
    EXPECT_EQ(app->gpsController(), nullptr);
    EXPECT_EQ(linksMade, 0);

    desk.center.post(TRVCheckGPSRunning);
    processEvents();
    desk.center.post(TRVCheckGPSRunning); // the second finds it there
    EXPECT_EQ(linksMade, 1);
    QPointer<QWidget> firstWindow = &window(fields::window);
    EXPECT_TRUE(firstWindow->isVisible());
    EXPECT_TRUE(eventually([&] { return opens().size() == 1; }));
    app->toggleMiniNav();
    ASSERT_TRUE(app->mnItem()->isChecked());

    app->stopGPS();
    processEvents();
    EXPECT_EQ(app->gpsController(), nullptr);
    EXPECT_TRUE(firstWindow.isNull());
    EXPECT_FALSE(app->mnItem()->isChecked());

    desk.controller->action("showGPSWindow")->trigger();
    processEvents();
    ASSERT_NE(app->gpsController(), nullptr);
    EXPECT_EQ(linksMade, 2);
    EXPECT_TRUE(eventually([&] { return opens().size() == 2; }));
    EXPECT_EQ(opens(), (std::vector<std::string>{"localhost:2947", "localhost:2947"}));
    EXPECT_FALSE(gps().controller().mnOn());
    EXPECT_TRUE(window(fields::window).isVisible());
}

// The MiniNav stands in for the GPS and navigation windows: their Show
// commands are off while it is on, and say how to switch it off.
TEST_F(AppControllerTest, WhileTheMiniNavIsOnTheShowCommandsAreOffAndSayWhy)
{
    QAction* showCommands[] = {desk.controller->action("showGPSWindow"), desk.controller->action("showNavWindow")};
    const QString why = QString::fromUtf8("The MiniNav is on: switch it off with GPS \u25B8 MiniNav (Ctrl+M)");
    struct Row {
        void (AppController::*command)();
        bool enabled;
    };
    for (const Row row : {Row{&AppController::toggleMiniNav, false}, Row{&AppController::toggleMiniNav, true},
             Row{&AppController::toggleMiniNav, false}, Row{&AppController::stopGPS, true}}) {
        ((*app).*row.command)();
        processEvents();
        for (QAction* show : showCommands) {
            SCOPED_TRACE(show->objectName().toStdString());
            EXPECT_EQ(show->isEnabled(), row.enabled);
            EXPECT_EQ(show->statusTip(), row.enabled ? QString() : why);
            EXPECT_EQ(show->toolTip(), row.enabled ? show->text().remove(QLatin1Char('&')) : why);
        }
    }
}

TEST_F(AppControllerTest, ImportsShareOneImportControllerAndExportsOneExportController)
{
    EXPECT_EQ(app->exportController(), nullptr);
    desk.dialogs->answers = {"cancel"};
    app->importKML();
    ImportController* first = app->importController();
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(desk.dialogs->questions.size(), 1u);
    EXPECT_EQ(desk.dialogs->questions[0].buttons, (QStringList{"Route", "Waypoints", "cancel"}));

    desk.dialogs->answers = {"Waypoints"};
    desk.dialogs->openPaths = {std::nullopt};
    app->importKML();
    desk.dialogs->openPaths = {std::nullopt};
    app->importGPX();
    EXPECT_EQ(app->importController(), first);
    EXPECT_EQ(desk.dialogs->openExtensions, (std::vector<QStringList>{{"kml"}, {"gpx"}}));

    desk.newWaypointList({Waypoint::create("A", "", 1.0f, 2.0f, 0.0f)});
    desk.dialogs->savePaths = {desk.file("all")};
    app->exportGPX();
    ExportController* exporter = app->exportController();
    ASSERT_NE(exporter, nullptr);
    EXPECT_TRUE(QFileInfo::exists(desk.file("all.gpx")));
    app->exportKML();
    EXPECT_EQ(app->exportController(), exporter);
}

TEST_F(AppControllerTest, ExportsProposeTheDocumentsNameAndFailuresAreShown)
{
    // A saved "harbour.nvw" exports as "harbour.kml" beside it.
    WaypointWindow& window = desk.newWaypointList({Waypoint::create("A", "", 1.0f, 2.0f, 0.0f)});
    desk.dialogs->savePaths = {desk.file("harbour.nvw")};
    ASSERT_TRUE(desk.controller->saveDocumentAs(window.waypointDocument()));
    window.show();
    window.activateWindow();
    processEvents();
    desk.dialogs->savePaths = {desk.file("no such folder/harbour.kml")};
    app->exportKML();
    EXPECT_EQ(desk.dialogs->proposedPaths.back(), desk.file("harbour.kml"));
    // The write failed: the user is told why.
    ASSERT_EQ(desk.dialogs->messages.size(), 1u);
    EXPECT_EQ(desk.dialogs->messages[0].title, "The file could not be exported.");
    EXPECT_TRUE(desk.dialogs->messages[0].text.contains("no such folder"))
        << desk.dialogs->messages[0].text.toStdString();

    // So is an import of a file that is no GPX.
    const QString broken = desk.file("broken.gpx");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<gpx><wpt");
    file.close();
    desk.dialogs->openPaths = {broken};
    app->importGPX();
    ASSERT_EQ(desk.dialogs->messages.size(), 2u);
    EXPECT_EQ(desk.dialogs->messages[1].title, "The file could not be imported.");
    EXPECT_TRUE(desk.dialogs->messages[1].text.contains(broken)) << desk.dialogs->messages[1].text.toStdString();
}

TEST_F(AppControllerTest, UpdateCheckIsMadeOnceAndCancelled)
{
    app->cancelUpdate(); // none yet
    EXPECT_EQ(app->updateCheck(), nullptr);
    app->checkForUpdates();
    UpdateCheck* check = app->updateCheck();
    ASSERT_NE(check, nullptr);
    EXPECT_TRUE(check->running());
    app->checkForUpdates(); // ignored while one runs
    EXPECT_EQ(app->updateCheck(), check);
    app->cancelUpdate();
    EXPECT_FALSE(check->running());
    processEvents();
}

TEST_F(AppControllerTest, QuitStopsTheGPSAfterTheDocumentsMayGo)
{
    app->showNavWindow();
    processEvents();
    desk.controller->setBeforeQuit([this] { app->stopGPS(); });
    WaypointWindow& list = desk.newWaypointList();
    auto& document = static_cast<WaypointDocument&>(list.document());
    document.addWP(Waypoint::create("A", "", 1.0f, 2.0f, 0.0f));
    document.refresh();
    ASSERT_TRUE(list.document().isDocumentEdited());

    desk.dialogs->answers = {"Cancel"};
    desk.controller->quit();
    EXPECT_NE(app->gpsController(), nullptr);

    desk.dialogs->answers = {"Don't Save"};
    desk.controller->quit();
    EXPECT_EQ(app->gpsController(), nullptr);
    // The navigation window went without its question.
    EXPECT_TRUE(stopQuestions.empty());
}

} // namespace
} // namespace navora::test
