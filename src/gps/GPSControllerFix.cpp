// Fix ingestion: each report into the fix state, "PPOS", the display and the
// mode alerts.
#include "gps/GPSController.h"

#include "gps/DisplayFields.h"
#include "gps/UnitSystem.h"
#include "gps/UtcTime.h"

#include "core/AlertDispatcher.h"
#include "core/Log.h"
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace navora {

struct GPSController::FieldSet {
    bool gpsWindow;
    std::string_view box;
    // Empty where the window has no such field.
    std::string_view mode;
    std::string_view modeColor;
    std::string_view latitude;
    std::string_view longitude;
    std::string_view altitude;
    std::string_view speed;
    std::string_view track;
    std::string_view time;
    std::string_view dataIndicator;
    std::string_view distance;
    std::string_view ete;
    std::string_view cdi;
};

namespace {

using Colour = DisplayBatch::Colour;

// The satellite matrix shows at most this many columns.
constexpr int shownSatellites = 12;

struct ModeState {
    std::string_view title;
    std::string_view text;
    Colour colour;
};

std::optional<ModeState> modeStateOf(int mode)
{
    switch (mode) {
    case 0:
        return ModeState{"No GPS information received...", "No data", Colour::Gray};
    case 1:
        return ModeState{"No GPS fix...", "No fix", Colour::Red};
    case 2:
        return ModeState{"2D fix", "2D fix", Colour::Yellow};
    case 3:
        return ModeState{"3D fix", "3D fix", Colour::Green};
    default:
        return std::nullopt;
    }
}

// The alert for a change of mode; none where no alert names the new mode
// (a fall to 0, a mode outside 0 to 3).
std::optional<std::string_view> modeChangeAlert(int mode, int lastMode)
{
    if (mode > lastMode) {
        switch (mode) {
        case 1:
            return "GPSOnline";
        case 2:
            return "GPSModeUp2D";
        case 3:
            return "GPSModeUp3D";
        default:
            return std::nullopt;
        }
    }
    if (mode < lastMode) {
        switch (mode) {
        case 1:
            return "GPSModeDown0D";
        case 2:
            return "TRVGPSModeDown2D";
        default:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool hasFix(int mode)
{
    return mode == 2 || mode == 3;
}

// Below 1 is off line; an unknown (NaN) state counts as on line.
bool isOffline(double online)
{
    return online < 1.0;
}

} // namespace

const GPSController::FieldSet& GPSController::currentSet() const
{
    static constexpr FieldSet gpsWindow{true, fields::fixBox, fields::fixMode, fields::fixModeColor,
        fields::fixLatitude, fields::fixLongitude, fields::fixAltitude, fields::fixSpeed, fields::fixTrack,
        fields::fixTime, fields::gpsDataIndicator, fields::wpDistance, fields::wpETE, fields::wpCrossTrackCDI};
    static constexpr FieldSet miniNav{false, fields::mnBox, {}, fields::mnModeColor, fields::mnLatitude,
        fields::mnLongitude, fields::mnAltitude, fields::mnSpeed, fields::mnTrack, fields::mnTime,
        fields::mnDataIndicator, fields::mnDistance, fields::mnETE, fields::mnCDI};
    return m_mnOn ? miniNav : gpsWindow;
}

void GPSController::updateGPS(const NotificationObject& object)
{
    std::lock_guard navLock(m_navMutex);
    const FieldSet& set = currentSet();
    const UnitState units = unitState();
    const GPSRecord& record = m_gps1->record();
    const int mode = record.fix.mode;
    if (object.number() == 0.0)
        askAgainForStatus();

    DisplayBatch batch;
    m_reportBatch = &batch;
    clearFixFields(batch, set);
    batch.stepIndicator(set.dataIndicator);
    const int lastMode = this->lastMode();
    takeNavFix(record);
    if (isOffline(record.online)) {
        showOffline(batch, set);
        if (lastMode > 0)
            raiseAlert("GPSOffline");
        std::lock_guard lock(m_fixMutex);
        m_fix.lastMode = 0;
    } else {
        batch.setVisible(set.dataIndicator, true);
        showModeState(batch, set, mode);
        if (hasFix(mode))
            takeFix(batch, set, record, units);
        if (set.gpsWindow)
            showErrorVisibility(batch, record);
        raiseModeChangeAlert(mode, lastMode);
        takeFixTime(batch, set, record);
        if (set.gpsWindow)
            showSats(batch, record);
        updateNavData();
        std::lock_guard lock(m_fixMutex);
        m_fix.lastMode = mode;
    }
    m_reportBatch = nullptr;
    apply(std::move(batch));
}

void GPSController::showOffline(DisplayBatch& batch, const FieldSet& set)
{
    batch.setBoxTitle(set.box, "GPS OFFLINE");
    noteFixStatus("GPS OFFLINE");
    batch.setVisible(set.dataIndicator, false);
    if (set.gpsWindow)
        clearSats(batch);
}

void GPSController::showModeState(DisplayBatch& batch, const FieldSet& set, int mode)
{
    const std::optional<ModeState> state = modeStateOf(mode);
    if (!state)
        return;
    batch.setBoxTitle(set.box, std::string(state->title));
    noteFixStatus(state->title);
    if (!set.mode.empty())
        batch.setText(set.mode, std::string(state->text));
    batch.setColour(set.modeColor, state->colour);
}

void GPSController::takeFix(DisplayBatch& batch, const FieldSet& set, const GPSRecord& record, const UnitState& units)
{
    const GPSRecord::Fix& fix = record.fix;
    const double altconv = units.system ? units.system->altconv : 0.0;
    const double spdconv = units.system ? units.system->spdconv : 0.0;
    const double vspconv = units.system ? units.system->vspconv : 0.0;
    const double errconv = units.system ? units.system->errconv : 0.0;
    FixState taken;
    {
        std::lock_guard lock(m_fixMutex);
        m_fix.lat = fix.latitude;
        m_fix.lon = fix.longitude;
        m_fix.alt = altconv * fix.altitude;
        m_fix.spd = spdconv * fix.speed;
        m_fix.trk = fix.track;
        taken = m_fix;
    }
    batch.setNumber(set.latitude, taken.lat);
    batch.setNumber(set.longitude, taken.lon);
    batch.setNumber(set.altitude, taken.alt);
    batch.setNumber(set.speed, taken.spd);
    if (taken.trk != 0.0)
        batch.setNumber(set.track, taken.trk);
    if (!set.gpsWindow)
        return;
    batch.setNumber(fields::fixHError, errconv * fix.eph);
    batch.setNumber(fields::fixHErrorMeter, fix.eph);
    if (fix.mode == 3) {
        batch.setNumber(fields::fixVSpeed, vspconv * fix.climb);
        batch.setNumber(fields::fixVError, errconv * fix.epv);
        batch.setNumber(fields::fixVErrorMeter, fix.epv);
    }
}

void GPSController::showErrorVisibility(DisplayBatch& batch, const GPSRecord& record)
{
    const GPSRecord::Fix& fix = record.fix;
    const bool horizontal = hasFix(fix.mode) && !std::isnan(fix.eph) && fix.eph != 0.0;
    const bool vertical = fix.mode == 3 && !std::isnan(fix.epv);
    batch.setVisible(fields::fixHError, horizontal);
    batch.setVisible(fields::fixHErrorMeter, horizontal);
    batch.setVisible(fields::unitsHError, horizontal);
    batch.setVisible(fields::fixVError, vertical);
    batch.setVisible(fields::fixVErrorMeter, vertical);
    batch.setVisible(fields::unitsVError, vertical);
}

void GPSController::raiseModeChangeAlert(int mode, int lastMode)
{
    if (const std::optional<std::string_view> key = modeChangeAlert(mode, lastMode))
        raiseAlert(*key);
}

void GPSController::raiseAlert(std::string_view key)
{
    if (m_ac)
        m_ac->alertAllForKey(std::string(key));
}

void GPSController::takeFixTime(DisplayBatch& batch, const FieldSet& set, const GPSRecord& record)
{
    const int mode = record.fix.mode;
    const double time = hasFix(mode) ? record.fix.time : 0.0;
    if (time > 0.0) {
        if (!UtcTime::representable(time)) {
            Log::format("Ignoring a fix time beyond the year 9999: %.0f", time);
            return;
        }
        const std::chrono::sys_seconds fixDate{std::chrono::seconds(static_cast<long long>(std::floor(time)))};
        const std::string text = UtcTime::text(fixDate);
        batch.setText(set.time, text);
        if (set.gpsWindow)
            batch.setDate(fields::fixTimeLocal, fixDate);
        std::unique_lock lock(m_fixMutex);
        m_fix.fixDate = fixDate;
        const auto latitude = static_cast<float>(m_fix.lat);
        const auto longitude = static_cast<float>(m_fix.lon);
        const auto altitude = static_cast<float>(record.fix.altitude);
        if (const WaypointPtr held = m_fix.currentPos) {
            lock.unlock();
            held->setPosition(latitude, longitude, altitude, text);
            return;
        }
        m_fix.currentPos = Waypoint::create("PPOS", text, latitude, longitude, altitude);
        lock.unlock();
        m_center.post(TRVcpUpdated, NotificationObject::sentBy(this));
        return;
    }
    if (mode > 1)
        return;
    std::unique_lock lock(m_fixMutex);
    if (!m_fix.currentPos)
        return;
    m_fix.currentPos.reset();
    lock.unlock();
    Log::line("just lost position - releasing cp");
    m_center.post(TRVcpUpdated, NotificationObject::sentBy(this));
}

void GPSController::showSats(DisplayBatch& batch, const GPSRecord& record)
{
    if (record.satellites < 1)
        return;
    clearSats(batch);
    const int shown = std::min({record.satellites, shownSatellites, GPSRecord::channelCount});
    if (shown > 1)
        batch.setMatrixColumns(fields::satsInView, shown);
    for (int i = 0; i < shown; ++i) {
        const GPSRecord::Channel& channel = record.channels[static_cast<size_t>(i)];
        const bool used = channel.used != 0;
        batch.setMatrixCell(fields::satsInView, 0, i, std::to_string(channel.prn), used);
        batch.setMatrixCell(fields::satsInView, 1, i, std::to_string(channel.ss), used);
    }
}

void GPSController::clearFixFields()
{
    std::lock_guard navLock(m_navMutex);
    if (m_reportBatch) {
        clearFixFields(*m_reportBatch, currentSet());
        return;
    }
    DisplayBatch batch;
    clearFixFields(batch, currentSet());
    apply(std::move(batch));
}

void GPSController::clearFixFields(DisplayBatch& batch, const FieldSet& set)
{
    for (const std::string_view field : {set.time, set.latitude, set.longitude, set.altitude, set.speed, set.track})
        batch.setText(field, "");
    batch.setColour(set.modeColor, Colour::Clear);
    batch.setText(set.distance, "");
    batch.setText(set.ete, "");
    batch.setSliderValue(set.cdi, 0.0);
    batch.setEnabled(set.cdi, false);
    if (!set.gpsWindow)
        return;
    for (const std::string_view field : {fields::fixTimeLocal, fields::fixHError, fields::fixVError, fields::fixMode,
             fields::fixVSpeed, fields::wpBearing, fields::wpCrossTrack, fields::wpETA, fields::wpETALocal,
             fields::wpVMG, fields::dDistance, fields::dETA, fields::dETE})
        batch.setText(field, "");
    batch.setNumber(fields::fixHErrorMeter, 0.0);
    batch.setNumber(fields::fixVErrorMeter, 0.0);
}

void GPSController::clearSats()
{
    std::lock_guard navLock(m_navMutex);
    if (m_reportBatch) {
        clearSats(*m_reportBatch);
        return;
    }
    DisplayBatch batch;
    clearSats(batch);
    apply(std::move(batch));
}

void GPSController::clearSats(DisplayBatch& batch)
{
    batch.setMatrixColumns(fields::satsInView, 1);
    // A cell left highlighted would show an empty coloured box.
    batch.setMatrixCell(fields::satsInView, 0, 0, "", false);
    batch.setMatrixCell(fields::satsInView, 1, 0, "", false);
}

FixState GPSController::fixState() const
{
    std::lock_guard lock(m_fixMutex);
    return m_fix;
}

double GPSController::lat() const
{
    return fixState().lat;
}

double GPSController::lon() const
{
    return fixState().lon;
}

double GPSController::alt() const
{
    return fixState().alt;
}

double GPSController::spd() const
{
    return fixState().spd;
}

double GPSController::trk() const
{
    return fixState().trk;
}

std::chrono::sys_seconds GPSController::fixDate() const
{
    return fixState().fixDate;
}

WaypointPtr GPSController::currentPos() const
{
    std::lock_guard lock(m_fixMutex);
    return m_fix.currentPos;
}

int GPSController::lastMode() const
{
    std::lock_guard lock(m_fixMutex);
    return m_fix.lastMode;
}

} // namespace navora
