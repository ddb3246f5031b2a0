#pragma once

#include "alerts/AlertTable.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QButtonGroup;
class QTimer;
class QWidget;

namespace Ui {
class PreferenceController;
}

namespace navora {

class NotificationCenter;
class Settings;

// The preferences window. It shows the stored settings, stores each change
// at once and announces it through the notification centre, so the running
// parts (GPS controller, alert dispatcher, export) follow without a restart.
class PreferenceController : public QObject {
    Q_OBJECT

public:
    // Needs a QApplication. The alert table is only read, to list the
    // notification names the program registers with the desktop.
    PreferenceController(Settings& settings, NotificationCenter& center, QWidget* parent = nullptr,
        const QString& alertTablePath = AlertTable::defaultPath());
    ~PreferenceController() override;

    // The controller, or nullptr after logging "Error occurred init-ing prefs
    // window" when no window can be made (no widget application, as in the
    // headless mode).
    static std::unique_ptr<PreferenceController> create(
        Settings& settings, NotificationCenter& center, QWidget* parent = nullptr);

    void showWindow();
    QWidget& window() const;

    // The position of the window is kept under this name in the settings.
    static constexpr std::string_view frameAutosaveName = "PrefWindow";
    // Tags that tell the two senders of "TRVSpeechChanged" apart.
    static constexpr int speechCheckTag = 3;

public slots:
    // The actions of the window's controls; each reads the control it belongs
    // to, as the user left it.
    void selectUnit();
    void changeServer();
    void changePort();
    void applyNewServerPort();
    void changeArrivalTime();
    void toggleGrowl();
    void toggleMNFloat();
    void toggleSpeech();
    void chooseWPSpeech();
    void setRouteColour();
    void changeProtocol();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;

    void windowDidLoad();
    void makeButtonGroups();
    void connectActions();
    void listAlertNotifications(const QString& alertTablePath);
    void showSpeechChoice(bool on);
    void tell(const QString& message);
    std::optional<QString> validPort() const;
    std::optional<int> validArrivalSeconds() const;

    void restoreFrame();
    void saveFrame();
    void keepOnScreen();

    Settings& m_settings;
    NotificationCenter& m_center;
    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<Ui::PreferenceController> m_ui;
    // Rows of unitChoice and columns of gpsdProtocol and wpSpeechOption.
    QButtonGroup* m_unitRows = nullptr;
    QButtonGroup* m_protocolColumns = nullptr;
    QButtonGroup* m_speechColumns = nullptr;
    // Moves come in bursts while the window is dragged; the frame is saved
    // once the window has come to rest.
    QTimer* m_frameSaveTimer = nullptr;
    int m_arrivalSeconds = 0; // the last good value, shown again after bad text
};

} // namespace navora
