#include "model/NumberText.h"

#include <cctype>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace navora {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Length of the longest leading decimal number of text (0 when there is none).
size_t numberLength(std::string_view text)
{
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        size_t j = i + 1;
        size_t fraction = 0;
        while (j < text.size() && isDigit(text[j])) {
            ++j;
            ++fraction;
        }
        if (digits + fraction > 0) {
            i = j;
            digits += fraction;
        }
    }
    if (digits == 0)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        const size_t exponentStart = j;
        while (j < text.size() && isDigit(text[j]))
            ++j;
        if (j > exponentStart)
            i = j;
    }
    return i;
}

locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

} // namespace

double NumberText::readDouble(std::string_view text)
{
    size_t start = 0;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start])))
        ++start;
    const std::string_view rest = text.substr(start);
    const size_t length = numberLength(rest);
    if (length == 0)
        return 0.0;
    // from_chars rounds correctly, as strtod_l does, and needs no copy; a
    // leading "+" and a value beyond the range (+/-HUGE_VAL) are strtod_l's,
    // given a terminated copy that holds only the number.
    const std::string_view number = rest.substr(0, length);
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc() && end == number.data() + number.size())
        return value;
    const std::string copy(number);
    return strtod_l(copy.c_str(), nullptr, cLocale());
}

std::optional<double> NumberText::readExactly(std::string_view text)
{
    const auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    if (text.empty() || numberLength(text) != text.size())
        return std::nullopt;
    const double value = readDouble(text);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

float NumberText::readFloat(std::string_view text)
{
    return static_cast<float>(readDouble(text));
}

std::string NumberText::formatFixed(double value)
{
    return formatFixed(value, 6);
}

std::string NumberText::formatShortest(float value)
{
    if (std::isnan(value))
        return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    // 39 integer digits, a sign, a point and the shortest fraction fit.
    char buffer[128];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

std::string NumberText::formatFixed(double value, int decimals)
{
    if (std::isnan(value))
        return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    // 309 integer digits, a sign, a point and the decimals always fit.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

} // namespace navora
