#pragma once

#include <optional>
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

    // nullptr for a code or row that names no system.
    static const UnitSystem* forCode(char code);
    static const UnitSystem* forRow(int row);

    static std::optional<char> codeForRow(int row);
    static std::optional<int> rowForCode(char code);
};

} // namespace navora
