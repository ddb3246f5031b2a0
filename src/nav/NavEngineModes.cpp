// The display modes: which navigation display shows (full window or
// MiniNav), the CDI scale, the MiniNav's window level, the unit labels, and
// the question before the navigation window closes.
#include "nav/NavEngine.h"

#include "nav/DisplayFields.h"
#include "nav/UnitSystem.h"

#include "core/Log.h"

#include <array>

namespace navora {

namespace {

// The scale choices by column, widest first.
constexpr std::array<std::string_view, 3> cdiScaleChoices{
    fields::wpCDIScale0, fields::wpCDIScale1, fields::wpCDIScale2};

// Without a unit system, the nautical one.
const UnitSystem& unitsOrNautical(const UnitSystem* system)
{
    return system ? *system : *UnitSystem::forCode('n');
}

constexpr std::string_view stopTitle = "Stop route navigation?";
constexpr std::string_view stopMessage = "Closing this window will stop route navigation and deactivate the current "
                                         "route/waypoint (if any).  Do you want to close this window?";

} // namespace

NavEngine::Output NavEngine::showNav()
{
    return run([this] { showNavStep(); });
}

void NavEngine::showNavStep()
{
    batch().bringToFront(m_state.mnOn ? fields::miniNavWindow : fields::navDataWindow);
}

NavEngine::Output NavEngine::toggleMiniNav(bool floatMiniNav)
{
    return run([&] {
        DisplayBatch& out = batch();
        if (m_state.mnOn) {
            out.setVisible(fields::miniNavWindow, false);
            out.bringToFront(fields::window);
            out.bringToFront(fields::navDataWindow);
            m_state.mnOn = false;
        } else {
            out.setVisible(fields::window, false);
            out.setVisible(fields::navDataWindow, false);
            out.bringToFront(fields::miniNavWindow);
            out.setFloating(fields::miniNavWindow, floatMiniNav);
            m_state.mnOn = true;
        }
        clearFixFieldsStep(currentSet());
        clearAllWpFieldsStep();
    });
}

NavEngine::Output NavEngine::changeCDIScale(int column)
{
    return run([&] {
        if (column < 0 || static_cast<size_t>(column) >= cdiScaleChoices.size())
            return;
        m_state.cdiColumn = column;
        applyCdiScale();
    });
}

void NavEngine::applyCdiScale()
{
    const double halfWidth = unitsOrNautical(m_state.unitSystem).cdiScaleNm(m_state.cdiColumn).value_or(1.0);
    m_state.cdiMinimum = -halfWidth;
    m_state.cdiMaximum = halfWidth;
    batch().setSliderRange(fields::wpCrossTrackCDI, -halfWidth, halfWidth);
}

NavEngine::Output NavEngine::setMiniNavFloating(bool floating)
{
    return run([&] { batch().setFloating(fields::miniNavWindow, floating); });
}

NavEngine::Output NavEngine::changeUnits(char code)
{
    return run([&] {
        m_state.units = code;
        if (const UnitSystem* system = UnitSystem::forCode(code))
            m_state.unitSystem = system;
        else
            Log::format("Unknown units - %c", code);
        const UnitSystem* s = m_state.unitSystem;
        const std::string alt(s ? s->alt_units : "");
        const std::string spd(s ? s->spd_units : "");
        const std::string vsp(s ? s->vsp_units : "");
        const std::string dst(s ? s->dst_units : "");
        const std::string err(s ? s->err_units : "");
        DisplayBatch& out = batch();
        out.setText(fields::unitsAltitude, alt);
        out.setText(fields::mnUnitsAltitude, alt);
        out.setText(fields::unitsSpeed, spd);
        out.setText(fields::unitsVMG, spd);
        out.setText(fields::mnUnitsSpeed, spd);
        out.setText(fields::unitsVSpeed, vsp);
        out.setText(fields::unitsDistance, dst);
        out.setText(fields::unitsDDistance, dst);
        out.setText(fields::unitsCrossTrack, dst);
        out.setText(fields::mnUnitsDistance, dst);
        out.setText(fields::unitsHError, err);
        out.setText(fields::unitsVError, err);
        // The CDI scale choices read in the distance unit, the chosen one
        // keeping its place.
        const UnitSystem& scales = unitsOrNautical(s);
        for (size_t column = 0; column < cdiScaleChoices.size(); ++column)
            out.setText(cdiScaleChoices[column], scales.cdiScaleText(static_cast<int>(column)));
        applyCdiScale();
    });
}

void NavEngine::setArrivalAlertSeconds(int seconds)
{
    m_state.arrivalAlertSeconds = seconds;
    m_state.arrivalAlertHours = static_cast<float>(seconds) / 3600.0f;
}

std::optional<NavEngine::CloseQuestion> NavEngine::closeQuestion(std::string_view window)
{
    if (window != fields::navDataWindow)
        return std::nullopt;
    return CloseQuestion{stopTitle, stopMessage, "Yes", "No"};
}

} // namespace navora
