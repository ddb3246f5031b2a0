#include "documents/CoordinateText.h"

#include "model/NumberText.h"
#include "model/Waypoint.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <sstream>
#include <vector>

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
// that -0 shows as "0", not "-0".
float magnitude(float value)
{
    return std::fabs(value);
}

// As many decimals as the stored float holds: 47.5412f shows as 47.5412.
std::string decimalDegrees(float a)
{
    return NumberText::formatShortest(a) + std::string(degreeSign);
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

// The marks people put between degrees, minutes and seconds, in UTF-8: the
// degree sign, the masculine ordinal often typed for it, primes and the
// typographic quotes that word processors put in their place.
constexpr std::string_view kPartMarks[]
    = {"\xC2\xB0", "\xC2\xBA", "\xE2\x80\xB2", "\xE2\x80\xB3", "\xE2\x80\x99", "\xE2\x80\x9D", "'", "\""};

// The text with every part mark as a space.
std::string marksAsSpaces(std::string_view text)
{
    std::string plain;
    while (!text.empty()) {
        bool mark = false;
        for (const std::string_view candidate : kPartMarks) {
            if (text.substr(0, candidate.size()) == candidate) {
                plain += ' ';
                text.remove_prefix(candidate.size());
                mark = true;
                break;
            }
        }
        if (!mark) {
            plain += text.front();
            text.remove_prefix(1);
        }
    }
    return plain;
}

std::vector<std::string> wordsOf(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream stream(text);
    for (std::string word; stream >> word;)
        words.push_back(word);
    return words;
}

// A part of a coordinate: digits with at most one full stop or comma; only
// the last part may have a fraction.
std::optional<double> readPart(std::string word, bool last)
{
    const size_t separator = word.find_first_of(".,");
    if (separator != std::string::npos) {
        if (!last)
            return std::nullopt;
        word[separator] = '.';
    }
    const bool digitsOnly = !word.empty()
        && std::all_of(word.begin(), word.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
    if (!digitsOnly || word == ".")
        return std::nullopt;
    return NumberText::readExactly(word);
}

// Takes a hemisphere letter off either end of the text: +1, -1, or 0 when
// there is none.
int takeHemisphere(std::string& text, CoordinateText::Axis axis)
{
    const char positive = CoordinateText::hemisphereLetter(axis, true);
    const char negative = CoordinateText::hemisphereLetter(axis, false);
    for (const bool front : {true, false}) {
        if (text.empty())
            return 0;
        const char end
            = static_cast<char>(std::toupper(static_cast<unsigned char>(front ? text.front() : text.back())));
        if (end != positive && end != negative)
            continue;
        if (front)
            text.erase(0, 1);
        else
            text.pop_back();
        return end == positive ? 1 : -1;
    }
    return 0;
}

} // namespace

std::optional<double> CoordinateText::read(std::string_view text, Axis axis)
{
    std::string body = marksAsSpaces(text);
    const auto trim = [&body] {
        const size_t first = body.find_first_not_of(" \t");
        body
            = first == std::string::npos ? std::string() : body.substr(first, body.find_last_not_of(" \t") - first + 1);
    };
    trim();
    const int hemisphere = takeHemisphere(body, axis);
    trim();
    int sign = 1;
    if (!body.empty() && (body.front() == '-' || body.front() == '+')) {
        if (hemisphere != 0)
            return std::nullopt; // "-47 N" says two things
        sign = body.front() == '-' ? -1 : 1;
        body.erase(0, 1);
    }
    const std::vector<std::string> words = wordsOf(body);
    if (words.empty() || words.size() > 3)
        return std::nullopt;
    double value = 0.0;
    double scale = 1.0;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::optional<double> part = readPart(words[i], i + 1 == words.size());
        if (!part || (i > 0 && *part >= 60.0))
            return std::nullopt;
        value += *part / scale;
        scale *= 60.0;
    }
    value *= hemisphere != 0 ? hemisphere : sign;
    const bool inRange = axis == Axis::Latitude ? Waypoint::validLatitude(value) : Waypoint::validLongitude(value);
    return inRange ? std::optional(value) : std::nullopt;
}

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
    const char letter = hemisphereLetter(axis, positive);
    // The value rounded once to whole seconds, then to one more decimal of a
    // second at a time, until the fields read back as the same float: 9.7
    // gives 9 42 0, never 41 59.999313.
    if (a <= 360.0f) {
        long long perSecond = 1;
        for (int decimals = 0; decimals <= 6; ++decimals, perSecond *= 10) {
            const long long units = unitsOf(a, 3600.0 * static_cast<double>(perSecond));
            DmsFields fields{letter, static_cast<int>(units / (3600 * perSecond)),
                static_cast<int>(units / (60 * perSecond) % 60),
                static_cast<float>(static_cast<double>(units % (60 * perSecond)) / static_cast<double>(perSecond))};
            if (decimalFromDms(static_cast<float>(fields.degrees), static_cast<float>(fields.minutes), fields.seconds,
                    letter, axis)
                == value)
                return fields;
        }
    }
    // Unknown, far beyond a coordinate or too fine for six decimals of a
    // second: the parts cut down in float, as the fields read back.
    DmsFields fields{letter, truncatedToInt(a), 0, 0.0f};
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
