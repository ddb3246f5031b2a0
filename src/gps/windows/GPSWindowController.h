#pragma once

#include "gps/GPSController.h"
#include "gps/GPSLink.h"
#include "gps/GPSTimings.h"
#include "gps/windows/PlotWidget.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

class QWidget;

class QTimer;

namespace navora {

class AlertDispatcher;
class AlertLine;
class GPSWindows;
class NotificationCenter;
class QtDisplay;
class Settings;

// The GPS controller with its three windows: the GPS window, the navigation
// window and the MiniNav, built from their layouts, and the display that
// binds the controller's field names to their widgets; every alert also
// shows in the windows' alert line. The controller writes
// the windows only through that display, from either thread; the display
// applies each batch on the user-interface thread, in order.
class GPSWindowController : public QObject {
    Q_OBJECT
public:
    struct Services {
        Settings& settings;
        NotificationCenter& center;
        // GpsdLink in the program; tests give a stub or a real one.
        std::unique_ptr<GPSLink> link;
        std::function<std::shared_ptr<AlertDispatcher>()> makeAlertDispatcher;
        GPSTimings timings = {};
        // Asked before the navigation window closes; empty: a message box asks.
        GPSController::StopQuestion stopQuestion = {};
        // False when a test feeds the reports in itself: no GPS thread.
        bool connects = true;
        // How long the latest alert stays in the windows' alert line.
        std::chrono::milliseconds alertLineHold = std::chrono::seconds(60);
        // Where the track log keeps its files; empty: no track log.
        std::string trackFolder = {};
        // The other open documents, for the plot to draw behind the route.
        std::function<std::vector<PlotScene::Backdrop>()> plotBackdrops = {};
    };

    // Loads the windows (hidden), then lets the controller connect
    // (windowDidLoad).
    explicit GPSWindowController(Services services);
    // The controller (and its GPS thread) goes before the windows.
    ~GPSWindowController() override;
    GPSWindowController(const GPSWindowController&) = delete;
    GPSWindowController& operator=(const GPSWindowController&) = delete;

    GPSController& controller() const;
    // The GPS window shown, raised and activated.
    void showWindow();
    // The plot window shown and raised; it follows the controller once a
    // second while it shows.
    void showPlot();
    // What the plot shows now.
    PlotScene plotScene() const;
    PlotWidget& plot() const { return *m_plot; }
    // fields::window, fields::navDataWindow or fields::miniNavWindow;
    // nullptr for any other name.
    QWidget* window(std::string_view name) const;
    // Every named field and what it shows, as text (user-interface thread):
    // windows "shown" or "hidden", a hidden field "", a colour well its
    // colour's name, the satellite matrix "prn/strength" per column with a
    // star for a used satellite.
    std::map<std::string, std::string> fieldSnapshot() const;

private:
    void connectActions();
    bool askToStop(std::string_view title, std::string_view message, std::string_view yes, std::string_view no);

    std::unique_ptr<GPSWindows> m_windows;
    std::unique_ptr<AlertLine> m_alertLine;
    std::shared_ptr<QtDisplay> m_display;
    std::unique_ptr<GPSController> m_controller;
    // A window of its own, after the controller it reads.
    std::unique_ptr<PlotWidget> m_plot;
    QTimer* m_plotRefresh = nullptr;
    std::function<std::vector<PlotScene::Backdrop>()> m_plotBackdrops;
};

} // namespace navora
