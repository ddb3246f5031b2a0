#include "core/RouteColour.h"

#include <array>
#include <charconv>

namespace navora {

namespace {

constexpr double opaqueReplacementAlpha = 0.8;

bool isUnitComponent(double value)
{
    return value >= 0.0 && value <= 1.0; // false for NaN as well
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

void appendShortest(std::string& out, double value)
{
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    out.append(buffer.data(), result.ptr);
}

// Splits text at runs of blanks; false when it does not hold exactly
// fields.size() fields.
bool splitFields(std::string_view text, std::array<std::string_view, 4>& fields)
{
    size_t count = 0;
    size_t i = 0;
    while (i < text.size()) {
        if (isBlank(text[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && !isBlank(text[end]))
            ++end;
        if (count == fields.size())
            return false;
        fields[count++] = text.substr(i, end - i);
        i = end;
    }
    return count == fields.size();
}

std::optional<double> readComponent(std::string_view field)
{
    double value = 0.0;
    const char* end = field.data() + field.size();
    const auto result = std::from_chars(field.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end || !isUnitComponent(value))
        return std::nullopt;
    return value;
}

} // namespace

bool RouteColour::isValid() const
{
    return isUnitComponent(red) && isUnitComponent(green) && isUnitComponent(blue) && isUnitComponent(alpha);
}

RouteColour RouteColour::translucentIfOpaque() const
{
    RouteColour result = *this;
    if (alpha == 1.0)
        result.alpha = opaqueReplacementAlpha;
    return result;
}

std::string RouteColour::encoded() const
{
    std::string text;
    for (const double component : {red, green, blue, alpha}) {
        if (!text.empty())
            text.push_back(' ');
        appendShortest(text, component);
    }
    return text;
}

std::optional<RouteColour> RouteColour::decode(std::string_view text)
{
    std::array<std::string_view, 4> fields;
    if (!splitFields(text, fields))
        return std::nullopt;
    std::array<double, 4> components{};
    for (size_t i = 0; i < fields.size(); ++i) {
        const auto component = readComponent(fields[i]);
        if (!component)
            return std::nullopt;
        components[i] = *component;
    }
    return RouteColour{components[0], components[1], components[2], components[3]};
}

} // namespace navora
