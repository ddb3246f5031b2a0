#include "documents/FieldText.h"

#include <array>
#include <charconv>
#include <cmath>

namespace navora {

std::string FieldText::fromFloat(float value)
{
    if (std::isnan(value))
        return {};
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::string FieldText::fromInt(int value)
{
    return std::to_string(value);
}

} // namespace navora
