// Units: the chosen system's factors and the labels next to the fields.
#include "gps/GPSController.h"

#include "gps/DisplayFields.h"
#include "gps/UnitSystem.h"

#include "core/Log.h"

namespace navora {

GPSController::UnitState GPSController::unitState() const
{
    std::lock_guard lock(m_unitsMutex);
    return m_units;
}

void GPSController::changeUnits(char c)
{
    const UnitSystem* system = UnitSystem::forCode(c);
    UnitState state;
    {
        std::lock_guard lock(m_unitsMutex);
        m_units.units = c;
        if (system)
            m_units.system = system;
        state = m_units;
    }
    if (!system)
        Log::format("Unknown units - %c", c);
    DisplayBatch batch;
    writeUnitLabels(batch, state);
    apply(std::move(batch));
}

void GPSController::handleChangeUnits(const NotificationObject& object)
{
    const int row = object.controlState() ? object.controlState()->selectedRow : -1;
    if (const std::optional<char> code = UnitSystem::codeForRow(row)) {
        changeUnits(*code);
        return;
    }
    Log::format("Unknown units - row %d - selected", row);
}

void GPSController::writeUnitLabels(DisplayBatch& batch, const UnitState& units) const
{
    const UnitSystem* s = units.system;
    const std::string alt(s ? s->alt_units : "");
    const std::string spd(s ? s->spd_units : "");
    const std::string vsp(s ? s->vsp_units : "");
    const std::string dst(s ? s->dst_units : "");
    const std::string err(s ? s->err_units : "");
    batch.setText(fields::unitsAltitude, alt);
    batch.setText(fields::mnUnitsAltitude, alt);
    batch.setText(fields::unitsSpeed, spd);
    batch.setText(fields::unitsVMG, spd);
    batch.setText(fields::mnUnitsSpeed, spd);
    batch.setText(fields::unitsVSpeed, vsp);
    batch.setText(fields::unitsDistance, dst);
    batch.setText(fields::unitsDDistance, dst);
    batch.setText(fields::unitsCrossTrack, dst);
    batch.setText(fields::mnUnitsDistance, dst);
    batch.setText(fields::unitsHError, err);
    batch.setText(fields::unitsVError, err);
}

char GPSController::units() const
{
    return unitState().units;
}

double GPSController::altconv() const
{
    const UnitSystem* s = unitState().system;
    return s ? s->altconv : 0.0;
}

double GPSController::spdconv() const
{
    const UnitSystem* s = unitState().system;
    return s ? s->spdconv : 0.0;
}

double GPSController::vspconv() const
{
    const UnitSystem* s = unitState().system;
    return s ? s->vspconv : 0.0;
}

double GPSController::dstconv() const
{
    const UnitSystem* s = unitState().system;
    return s ? s->dstconv : 0.0;
}

double GPSController::errconv() const
{
    const UnitSystem* s = unitState().system;
    return s ? s->errconv : 0.0;
}

std::string GPSController::alt_units() const
{
    const UnitSystem* s = unitState().system;
    return s ? std::string(s->alt_units) : std::string();
}

std::string GPSController::spd_units() const
{
    const UnitSystem* s = unitState().system;
    return s ? std::string(s->spd_units) : std::string();
}

std::string GPSController::vsp_units() const
{
    const UnitSystem* s = unitState().system;
    return s ? std::string(s->vsp_units) : std::string();
}

std::string GPSController::dst_units() const
{
    const UnitSystem* s = unitState().system;
    return s ? std::string(s->dst_units) : std::string();
}

std::string GPSController::err_units() const
{
    const UnitSystem* s = unitState().system;
    return s ? std::string(s->err_units) : std::string();
}

} // namespace navora
