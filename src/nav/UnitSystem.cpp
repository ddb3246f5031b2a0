#include "nav/UnitSystem.h"

#include <array>
#include <charconv>

namespace navora {

namespace {

using UnitSystems = std::array<UnitSystem, 4>;

const UnitSystems& unitSystems()
{
    // In preference-row order.
    static constexpr UnitSystems systems = {{
        {'n', 0, "nautical", 3.2808399, 1.9438445, 196.850394, 1.0, 3.2808399, "ft", "kt", "ft/min", "nm", "ft",
            {5.0, 1.0, 0.3}},
        {'m', 1, "metric", 1.0, 3.6, 1.0, 1.852, 1.0, "m", "km/h", "m/s", "km", "m", {10.0, 2.0, 0.5}},
        {'i', 2, "imperial", 3.2808399, 2.2369363, 196.850394, 1.1507794, 3.2808399, "ft", "mph", "ft/min", "mi", "ft",
            {5.0, 1.0, 0.3}},
        {'s', 3, "SI", 1.0, 1.0, 1.0, 1852.0, 1.0, "m", "m/s", "m/s", "m", "m", {10000.0, 2000.0, 500.0}},
    }};
    return systems;
}

} // namespace

std::string UnitSystem::cdiScaleText(int column) const
{
    if (column < 0 || static_cast<size_t>(column) >= cdiScales.size())
        return {};
    char number[32];
    const auto end = std::to_chars(number, number + sizeof number, cdiScales[static_cast<size_t>(column)]).ptr;
    return std::string(number, end) + " " + std::string(dst_units);
}

std::optional<double> UnitSystem::cdiScaleNm(int column) const
{
    if (column < 0 || static_cast<size_t>(column) >= cdiScales.size())
        return std::nullopt;
    return cdiScales[static_cast<size_t>(column)] / dstconv;
}

const UnitSystem* UnitSystem::forCode(char code)
{
    for (const UnitSystem& system : unitSystems()) {
        if (system.code == code)
            return &system;
    }
    return nullptr;
}

const UnitSystem* UnitSystem::forRow(int row)
{
    const UnitSystems& systems = unitSystems();
    if (row < 0 || static_cast<size_t>(row) >= systems.size())
        return nullptr;
    return &systems[static_cast<size_t>(row)];
}

std::optional<char> UnitSystem::codeForRow(int row)
{
    const UnitSystem* system = forRow(row);
    return system ? std::optional<char>(system->code) : std::nullopt;
}

std::optional<int> UnitSystem::rowForCode(char code)
{
    const UnitSystem* system = forCode(code);
    return system ? std::optional<int>(system->row) : std::nullopt;
}

} // namespace navora
