#include "documents/CoordinateText.h"

#include "model/NumberText.h"

#include <cmath>
#include <limits>

namespace navora {

namespace {

// U+00B0 in UTF-8.
constexpr std::string_view degreeSign = "\xC2\xB0";

// Truncation toward zero that stays defined for NaN (0) and for values
// beyond int (saturated), which a typed-in field can hold.
int truncatedToInt(float value)
{
    constexpr float limit = 2147483648.0f; // 2^31, exact in float
    if (std::isnan(value))
        return 0;
    if (value >= limit)
        return std::numeric_limits<int>::max();
    if (value < -limit)
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

// The unsigned magnitude shown next to the letter. fabs rather than -v so
// that -0 shows as "0.000000", not "-0.000000".
float magnitude(float value)
{
    return std::fabs(value);
}

std::string decimalDegrees(float a)
{
    return NumberText::formatFixed(static_cast<double>(a), 6) + std::string(degreeSign);
}

// The magnitude rounded once to the last shown digit, counted in those
// units: rounding carries into minutes and degrees, so no text ever reads
// 60 minutes or 60 seconds.
long long unitsOf(float a, double unitsPerDegree)
{
    return std::llround(static_cast<double>(a) * unitsPerDegree);
}

// Minutes to four decimals.
std::string degreesAndMinutes(float a)
{
    constexpr long long perMinute = 10000;
    const long long units = unitsOf(a, 60.0 * perMinute);
    const long long degrees = units / (60 * perMinute);
    const double minutes = static_cast<double>(units % (60 * perMinute)) / perMinute;
    return std::to_string(degrees) + std::string(degreeSign) + " " + NumberText::formatFixed(minutes, 4) + "'";
}

// Seconds to two decimals.
std::string degreesMinutesSeconds(float a)
{
    constexpr long long perSecond = 100;
    const long long units = unitsOf(a, 3600.0 * perSecond);
    const long long degrees = units / (3600 * perSecond);
    const long long minutes = units / (60 * perSecond) % 60;
    const double seconds = static_cast<double>(units % (60 * perSecond)) / perSecond;
    return std::to_string(degrees) + std::string(degreeSign) + " " + std::to_string(minutes) + "' "
        + NumberText::formatFixed(seconds, 2) + "\"";
}

} // namespace

char CoordinateText::hemisphereLetter(Axis axis, bool positive)
{
    if (axis == Axis::Latitude)
        return positive ? 'N' : 'S';
    return positive ? 'E' : 'W';
}

std::optional<std::string> CoordinateText::display(float value, Axis axis, int tag)
{
    if (tag < 1 || tag > 3)
        return std::nullopt;
    // An unknown position shows nothing.
    if (!std::isfinite(value))
        return std::string();
    const bool positive = !(value < 0.0f);
    const float a = magnitude(value);
    std::string text;
    switch (tag) {
    case 1:
        text = decimalDegrees(a);
        break;
    case 2:
        text = degreesAndMinutes(a);
        break;
    case 3:
        text = degreesMinutesSeconds(a);
        break;
    default:
        return std::nullopt;
    }
    return text + " " + hemisphereLetter(axis, positive);
}

CoordinateText::DmsFields CoordinateText::dmsFromDecimal(float value, Axis axis)
{
    const bool positive = value >= 0.0f; // NaN counts as negative here
    const float a = magnitude(value);
    DmsFields fields{hemisphereLetter(axis, positive), truncatedToInt(a), 0, 0.0f};
    // The later steps use the fields as they read back, as floats.
    const float d = static_cast<float>(fields.degrees);
    const float m = (a - d) * 60.0f;
    fields.minutes = truncatedToInt(m);
    const float mm = static_cast<float>(fields.minutes);
    fields.seconds = (m - mm) * 60.0f;
    return fields;
}

CoordinateText::DmsFields CoordinateText::dmsFromDecimalText(std::string_view text, Axis axis)
{
    return dmsFromDecimal(NumberText::readFloat(text), axis);
}

float CoordinateText::decimalFromDms(float degrees, float minutes, float seconds, char hemisphere, Axis axis)
{
    const float minutesInDegrees = minutes / 60.0f;
    const float wholeAndMinutes = degrees + minutesInDegrees;
    const float secondsInDegrees = seconds / 3600.0f;
    const float a = secondsInDegrees + wholeAndMinutes;
    const float sign = hemisphere == hemisphereLetter(axis, true) ? 1.0f : -1.0f;
    return sign * a;
}

std::optional<float> CoordinateText::decimalFromDmsText(
    std::string_view degrees, std::string_view minutes, std::string_view seconds, char hemisphere, Axis axis)
{
    if (degrees.empty())
        return std::nullopt;
    return decimalFromDms(NumberText::readFloat(degrees), NumberText::readFloat(minutes),
        NumberText::readFloat(seconds), hemisphere, axis);
}

} // namespace navora
