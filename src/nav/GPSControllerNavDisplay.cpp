// The navigation displays: which one shows (full window or MiniNav), the
// CDI scale, the MiniNav's window level, and the question before the
// navigation window closes.
#include "gps/GPSController.h"
#include "nav/BatchScope.h"

#include "core/Log.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"
#include "gps/DisplayFields.h"

#include <array>

namespace navora {

namespace {

struct CdiScale {
    double minimum;
    double maximum;
};

// Nautical miles, whatever the unit system, by the wpCDIScale column.
constexpr std::array<CdiScale, 3> cdiScales{{{-5.0, 5.0}, {-1.0, 1.0}, {-0.3, 0.3}}};

constexpr std::string_view stopTitle = "Stop route navigation?";
constexpr std::string_view stopMessage = "Closing this window will stop route navigation and deactivate the current "
                                         "route/waypoint (if any).  Do you want to close this window?";

} // namespace

DisplayBatch& GPSController::batch()
{
    return *m_reportBatch;
}

void GPSController::showNav()
{
    std::lock_guard lock(m_navMutex);
    BatchScope scope(*this);
    batch().bringToFront(m_mnOn ? fields::miniNavWindow : fields::navDataWindow);
}

void GPSController::toggleMiniNav()
{
    std::lock_guard lock(m_navMutex);
    BatchScope scope(*this);
    DisplayBatch& out = batch();
    if (m_mnOn) {
        out.setVisible(fields::miniNavWindow, false);
        out.bringToFront(fields::window);
        out.bringToFront(fields::navDataWindow);
        m_mnOn = false;
    } else {
        out.setVisible(fields::window, false);
        out.setVisible(fields::navDataWindow, false);
        out.bringToFront(fields::miniNavWindow);
        out.setFloating(fields::miniNavWindow, m_settings.boolForKey(TRVFloatMiniKey));
        m_mnOn = true;
    }
    clearFixFields();
    clearAllWpFields();
}

void GPSController::changeCDIScale(const ControlState& sender)
{
    const int column = sender.selectedColumn;
    if (column < 0 || static_cast<size_t>(column) >= cdiScales.size())
        return;
    const CdiScale scale = cdiScales[static_cast<size_t>(column)];
    std::lock_guard lock(m_navMutex);
    m_cdiMinimum = scale.minimum;
    m_cdiMaximum = scale.maximum;
    BatchScope scope(*this);
    batch().setSliderRange(fields::wpCrossTrackCDI, scale.minimum, scale.maximum);
}

std::pair<double, double> GPSController::cdiRange() const
{
    std::lock_guard lock(m_navMutex);
    return {m_cdiMinimum, m_cdiMaximum};
}

void GPSController::handleChangeMNFloat(const NotificationObject& object)
{
    const std::optional<ControlState> box = object.controlState();
    if (!box) {
        Log::line("Ignoring a MiniNav floating change without the check box state");
        return;
    }
    std::lock_guard lock(m_navMutex);
    BatchScope scope(*this);
    batch().setFloating(fields::miniNavWindow, box->state);
}

void GPSController::setStopQuestion(StopQuestion question)
{
    std::lock_guard lock(m_navMutex);
    m_stopQuestion = std::move(question);
}

bool GPSController::windowShouldClose(std::string_view window)
{
    if (window != fields::navDataWindow)
        return true;
    StopQuestion question;
    {
        std::lock_guard lock(m_navMutex);
        question = m_stopQuestion;
    }
    // Without anyone to ask (no window system), closing keeps navigation on.
    if (!question || !question(stopTitle, stopMessage, "Yes", "No"))
        return false;
    activateRoute(nullptr, 0);
    return true;
}

} // namespace navora
