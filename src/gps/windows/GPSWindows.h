#pragma once

#include <array>
#include <memory>
#include <string_view>
#include <vector>

class QAbstractButton;
class QLabel;
class QWidget;

namespace Ui {
class GPSController;
class GPSControllerNavData;
class GPSControllerMiniNav;
} // namespace Ui

namespace navora {

class ControllerWindow;

// The three windows of the GPS controller built from their layouts, hidden:
// the GPS window ("window"), the navigation window ("navDataWindow") and the
// MiniNav ("miniNavWindow"). Number fields get the width of the widest text
// they can show, so nothing moves as values change.
class GPSWindows {
public:
    GPSWindows();
    ~GPSWindows();
    GPSWindows(const GPSWindows&) = delete;
    GPSWindows& operator=(const GPSWindows&) = delete;

    ControllerWindow& gpsWindow() const { return *m_gpsWindow; }
    ControllerWindow& navDataWindow() const { return *m_navDataWindow; }
    ControllerWindow& miniNavWindow() const { return *m_miniNavWindow; }
    // By object name; nullptr for another name.
    ControllerWindow* window(std::string_view name) const;
    std::vector<QWidget*> all() const;
    // The choices of the CDI scale, by column.
    std::array<QAbstractButton*, 3> cdiScaleChoices() const;
    // Offered once the destination is reached.
    QAbstractButton* stopNavigatingButton() const;
    QAbstractButton* showPlotButton() const;
    // The line of the latest alert in each window.
    std::vector<QLabel*> alertLines() const;

private:
    void placeWindows();
    static void prepareFields(QWidget& window);

    std::unique_ptr<Ui::GPSController> m_gpsUi;
    std::unique_ptr<Ui::GPSControllerNavData> m_navDataUi;
    std::unique_ptr<Ui::GPSControllerMiniNav> m_miniNavUi;
    // Top-level windows without a parent: deleted here, last.
    std::unique_ptr<ControllerWindow> m_gpsWindow;
    std::unique_ptr<ControllerWindow> m_navDataWindow;
    std::unique_ptr<ControllerWindow> m_miniNavWindow;
};

} // namespace navora
