#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace navora {

// One of the four systems in which the GPS and navigation windows show
// quantities. The logic works in metres, metres per second and nautical
// miles; a shown value is the internal one times the factor.
struct UnitSystem {
    char code; // the "Units" setting: 'n', 'm', 'i' or 's'
    int row; // the row of the unit matrix in the preferences
    std::string_view name;
    double altconv; // metres -> altitude unit
    double spdconv; // metres per second -> speed unit
    double vspconv; // metres per second -> vertical-speed unit
    double dstconv; // nautical miles -> distance unit
    double errconv; // metres -> error-estimate unit
    std::string_view alt_units;
    std::string_view spd_units;
    std::string_view vsp_units;
    std::string_view dst_units;
    std::string_view err_units;
    // The half-widths of the three CDI scale choices, widest first, in the
    // distance unit: round numbers near 5, 1 and 0.3 nautical miles.
    std::array<double, 3> cdiScales;

    // The label of a CDI scale choice ("10 km"); "" for no such choice.
    std::string cdiScaleText(int column) const;
    // The half-width of a CDI scale choice in nautical miles, the unit the
    // logic works in; nullopt for no such choice.
    std::optional<double> cdiScaleNm(int column) const;

    // nullptr for a code or row that names no system.
    static const UnitSystem* forCode(char code);
    static const UnitSystem* forRow(int row);

    static std::optional<char> codeForRow(int row);
    static std::optional<int> rowForCode(char code);
};

} // namespace navora
