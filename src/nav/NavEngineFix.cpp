// Fix ingestion: each report into the fix state, "PPOS", the display and the
// mode alerts.
#include "nav/NavEngine.h"

#include "nav/DisplayFields.h"
#include "nav/UnitSystem.h"
#include "nav/UtcTime.h"

#include "core/Log.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace navora {

struct NavEngine::FieldSet {
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

const NavEngine::FieldSet& NavEngine::currentSet() const
{
    static constexpr FieldSet gpsWindow{true, fields::fixBox, fields::fixMode, fields::fixModeColor,
        fields::fixLatitude, fields::fixLongitude, fields::fixAltitude, fields::fixSpeed, fields::fixTrack,
        fields::fixTime, fields::gpsDataIndicator, fields::wpDistance, fields::wpETE, fields::wpCrossTrackCDI};
    static constexpr FieldSet miniNav{false, fields::mnBox, {}, fields::mnModeColor, fields::mnLatitude,
        fields::mnLongitude, fields::mnAltitude, fields::mnSpeed, fields::mnTrack, fields::mnTime,
        fields::mnDataIndicator, fields::mnDistance, fields::mnETE, fields::mnCDI};
    return m_state.mnOn ? miniNav : gpsWindow;
}

NavEngine::Output NavEngine::takeReport(const GPSRecord& record, std::chrono::steady_clock::time_point now)
{
    return run([&] {
        const FieldSet& set = currentSet();
        const EpochMerge::Result epoch = m_state.epoch.take(EpochMerge::plausible(record));
        GPSRecord merged = epoch.merged;
        const int mode = EpochMerge::decidedMode(merged.fix);
        merged.fix.mode = mode;
        clearFixFieldsStep(set);
        batch().stepIndicator(set.dataIndicator);
        const int lastMode = m_state.fix.lastMode;
        const bool online = !isOffline(record.online);
        m_state.navFix = NavFix{online ? mode : 0, merged.fix.speed, merged.fix.track, merged.fix.eph};
        if (!online) {
            showOffline(set);
            if (lastMode > 0)
                raise(Alert::plain("GPSOffline"));
            m_state.fix.lastMode = 0;
            return;
        }
        // A lost receiver comes back only with a fix time not seen before:
        // gpsd's answer to a status query repeats the last one.
        if (!noteFreshness(merged, now) && m_state.fix.receiverLost) {
            showOffline(set);
            m_state.navFix.mode = 0;
            return;
        }
        batch().setVisible(set.dataIndicator, true);
        showModeState(set, mode);
        if (hasFix(mode))
            takeFix(set, merged);
        if (set.gpsWindow)
            showErrorVisibility(merged);
        if (epoch.finishedMode)
            announceMode(*epoch.finishedMode);
        // A 3D epoch stays 3D whatever else it brings: no need to wait.
        if (mode == 3)
            announceMode(mode);
        takeFixTime(set, merged);
        if (set.gpsWindow)
            showSats(merged);
        navigationPass();
    });
}

// The mode alerts are decided on whole epochs, when the next one begins: a
// receiver's sentence order can make gpsd's mode flicker within one. Only
// 3D, which merging can never take back, is announced as soon as seen.
void NavEngine::announceMode(int mode)
{
    if (const std::optional<std::string_view> key = modeChangeAlert(mode, m_state.fix.lastMode))
        raise(Alert::plain(*key));
    m_state.fix.lastMode = mode;
}

bool NavEngine::noteFreshness(const GPSRecord& merged, std::chrono::steady_clock::time_point now)
{
    FixState& fix = m_state.fix;
    const double time = merged.fix.time;
    if (!std::isfinite(time) || (fix.lastFreshAt && time == fix.lastFreshFixTime))
        return false;
    if (fix.lastFreshAt && !fix.receiverLost) {
        // A running mean of the last few intervals, so one late report does
        // not move the bound far.
        const auto interval = now - *fix.lastFreshAt;
        fix.usualInterval = fix.usualInterval == std::chrono::steady_clock::duration{}
            ? interval
            : (fix.usualInterval * 3 + interval) / 4;
    }
    fix.lastFreshAt = now;
    fix.lastFreshFixTime = time;
    fix.receiverLost = false;
    return true;
}

std::chrono::steady_clock::duration NavEngine::staleBound() const
{
    const std::chrono::steady_clock::duration least = std::chrono::seconds(5);
    return std::max(least, m_state.fix.usualInterval * 3);
}

NavEngine::Output NavEngine::checkStale(std::chrono::steady_clock::time_point now)
{
    return run([&] {
        const FixState& fix = m_state.fix;
        const bool holding = fix.currentPos || fix.lastMode >= 2;
        if (fix.receiverLost || !fix.lastFreshAt || !holding || now - *fix.lastFreshAt <= staleBound())
            return;
        const auto silent = std::chrono::duration_cast<std::chrono::seconds>(now - *fix.lastFreshAt);
        loseReceiver("no report from the receiver for " + std::to_string(silent.count()) + " s");
    });
}

NavEngine::Output NavEngine::linkLost()
{
    return run([this] {
        if (!m_state.fix.receiverLost)
            loseReceiver("the link to gpsd is lost");
    });
}

// Off line: the fix fields blank, "GPSOffline" once, "PPOS" released and the
// navigation pass left without a position, so nothing is decided on the
// last fix.
void NavEngine::loseReceiver(const std::string& why)
{
    const FieldSet& set = currentSet();
    FixState& fix = m_state.fix;
    if (fix.currentPos || fix.lastMode > 0)
        Log::line("GPS receiver off line: " + why);
    fix.receiverLost = true;
    clearFixFieldsStep(set);
    showOffline(set);
    if (fix.lastMode > 0)
        raise(Alert::plain("GPSOffline"));
    fix.lastMode = 0;
    m_state.navFix.mode = 0;
    m_state.epoch.reset();
    if (fix.currentPos) {
        fix.currentPos.reset();
        Log::line("just lost position - releasing cp");
        raise(PositionChanged{});
    }
    navigationPass();
}

void NavEngine::showOffline(const FieldSet& set)
{
    batch().setBoxTitle(set.box, "GPS OFFLINE");
    m_state.fixStatus = "GPS OFFLINE";
    batch().setVisible(set.dataIndicator, false);
    if (set.gpsWindow)
        clearSatsStep();
}

void NavEngine::showModeState(const FieldSet& set, int mode)
{
    const std::optional<ModeState> state = modeStateOf(mode);
    if (!state)
        return;
    batch().setBoxTitle(set.box, std::string(state->title));
    m_state.fixStatus = std::string(state->title);
    if (!set.mode.empty())
        batch().setText(set.mode, std::string(state->text));
    batch().setColour(set.modeColor, state->colour);
}

void NavEngine::takeFix(const FieldSet& set, const GPSRecord& record)
{
    const GPSRecord::Fix& fix = record.fix;
    const UnitSystem* units = m_state.unitSystem;
    const double altconv = units ? units->altconv : 0.0;
    const double spdconv = units ? units->spdconv : 0.0;
    const double vspconv = units ? units->vspconv : 0.0;
    const double errconv = units ? units->errconv : 0.0;
    FixState& taken = m_state.fix;
    taken.lat = fix.latitude;
    taken.lon = fix.longitude;
    taken.alt = altconv * fix.altitude;
    taken.spd = spdconv * fix.speed;
    taken.trk = fix.track;
    DisplayBatch& out = batch();
    out.setNumber(set.latitude, taken.lat);
    out.setNumber(set.longitude, taken.lon);
    out.setNumber(set.altitude, taken.alt);
    out.setNumber(set.speed, taken.spd);
    if (taken.trk != 0.0)
        out.setNumber(set.track, taken.trk);
    if (!set.gpsWindow)
        return;
    out.setNumber(fields::fixHError, errconv * fix.eph);
    out.setNumber(fields::fixHErrorMeter, fix.eph);
    if (fix.mode == 3) {
        out.setNumber(fields::fixVSpeed, vspconv * fix.climb);
        out.setNumber(fields::fixVError, errconv * fix.epv);
        out.setNumber(fields::fixVErrorMeter, fix.epv);
    }
}

void NavEngine::showErrorVisibility(const GPSRecord& record)
{
    const GPSRecord::Fix& fix = record.fix;
    const bool horizontal = hasFix(fix.mode) && !std::isnan(fix.eph) && fix.eph != 0.0;
    const bool vertical = fix.mode == 3 && !std::isnan(fix.epv);
    DisplayBatch& out = batch();
    out.setVisible(fields::fixHError, horizontal);
    out.setVisible(fields::fixHErrorMeter, horizontal);
    out.setVisible(fields::unitsHError, horizontal);
    out.setVisible(fields::fixVError, vertical);
    out.setVisible(fields::fixVErrorMeter, vertical);
    out.setVisible(fields::unitsVError, vertical);
}

void NavEngine::takeFixTime(const FieldSet& set, const GPSRecord& record)
{
    const int mode = record.fix.mode;
    const double time = hasFix(mode) ? record.fix.time : 0.0;
    FixState& fix = m_state.fix;
    if (time > 0.0) {
        if (!UtcTime::representable(time)) {
            Log::format("Ignoring a fix time beyond the year 9999: %.0f", time);
            return;
        }
        const std::chrono::sys_seconds fixDate{std::chrono::seconds(static_cast<long long>(std::floor(time)))};
        std::string text = UtcTime::text(fixDate);
        batch().setText(set.time, text);
        if (set.gpsWindow)
            batch().setDate(fields::fixTimeLocal, fixDate);
        fix.fixDate = fixDate;
        const auto latitude = static_cast<float>(fix.lat);
        const auto longitude = static_cast<float>(fix.lon);
        const auto altitude = static_cast<float>(record.fix.altitude);
        // "PPOS" is shared with the waypoint documents: moved in place, and
        // announced only when it appears.
        if (fix.currentPos) {
            fix.currentPos->setPosition(latitude, longitude, altitude, std::move(text));
            return;
        }
        fix.currentPos = Waypoint::create("PPOS", text, latitude, longitude, altitude);
        raise(PositionChanged{});
        return;
    }
    if (mode > 1 || !fix.currentPos)
        return;
    fix.currentPos.reset();
    Log::line("just lost position - releasing cp");
    raise(PositionChanged{});
}

void NavEngine::showSats(const GPSRecord& record)
{
    if (record.satellites < 1)
        return;
    clearSatsStep();
    const int held = std::min(record.satellites, GPSRecord::channelCount);
    std::array<GPSRecord::Channel, GPSRecord::channelCount> channels = record.channels;
    std::stable_sort(channels.begin(), channels.begin() + held, GPSRecord::Channel::shownBefore);
    const int shown = std::min(held, shownSatellites);
    if (shown > 1)
        batch().setMatrixColumns(fields::satsInView, shown);
    for (int i = 0; i < shown; ++i) {
        const GPSRecord::Channel& channel = channels[static_cast<size_t>(i)];
        const bool used = channel.used != 0;
        batch().setMatrixCell(fields::satsInView, 0, i, std::to_string(channel.prn), used);
        batch().setMatrixCell(fields::satsInView, 1, i, std::to_string(channel.ss), used);
    }
}

NavEngine::Output NavEngine::clearFixFields()
{
    return run([this] { clearFixFieldsStep(currentSet()); });
}

void NavEngine::clearFixFieldsStep(const FieldSet& set)
{
    DisplayBatch& out = batch();
    for (const std::string_view field : {set.time, set.latitude, set.longitude, set.altitude, set.speed, set.track})
        out.setText(field, "");
    out.setColour(set.modeColor, Colour::Clear);
    out.setText(set.distance, "");
    out.setText(set.ete, "");
    out.setSliderValue(set.cdi, 0.0);
    out.setEnabled(set.cdi, false);
    if (!set.gpsWindow)
        return;
    for (const std::string_view field : {fields::fixTimeLocal, fields::fixHError, fields::fixVError, fields::fixMode,
             fields::fixVSpeed, fields::wpBearing, fields::wpCrossTrack, fields::wpETA, fields::wpETALocal,
             fields::wpVMG, fields::dDistance, fields::dETA, fields::dETE})
        out.setText(field, "");
    out.setNumber(fields::fixHErrorMeter, 0.0);
    out.setNumber(fields::fixVErrorMeter, 0.0);
}

NavEngine::Output NavEngine::clearSats()
{
    return run([this] { clearSatsStep(); });
}

void NavEngine::clearSatsStep()
{
    batch().setMatrixColumns(fields::satsInView, 1);
    // A cell left highlighted would show an empty coloured box.
    batch().setMatrixCell(fields::satsInView, 0, 0, "", false);
    batch().setMatrixCell(fields::satsInView, 1, 0, "", false);
}

} // namespace navora
