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

std::string degreesAndMinutes(float a)
{
    const float d = std::floor(a);
    const float m = (a - d) * 60.0f;
    return std::to_string(truncatedToInt(d)) + std::string(degreeSign) + " "
        + NumberText::formatFixed(static_cast<double>(m), 4) + "'";
}

std::string degreesMinutesSeconds(float a)
{
    const float d = std::floor(a);
    const float m = (a - d) * 60.0f;
    const float mi = std::floor(m);
    const float s = (m - mi) * 60.0f;
    return std::to_string(truncatedToInt(d)) + std::string(degreeSign) + " " + std::to_string(truncatedToInt(mi)) + "' "
        + NumberText::formatFixed(static_cast<double>(s), 2) + "\"";
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
    const bool positive = !(value < 0.0f); // NaN counts as positive here
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
