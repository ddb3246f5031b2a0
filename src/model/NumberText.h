#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace navora {

// Number reading and writing shared by text fields and the KML/GPX files.
// Both are independent of the process locale: a full stop is always the
// decimal separator.
class NumberText {
public:
    // Lenient reading: leading white space is skipped, then the longest leading
    // decimal number (optional sign, digits, optional fraction and exponent) is
    // taken. Text that does not begin with a number reads as 0. Values beyond
    // the double range read as +/-infinity.
    static double readDouble(std::string_view text);
    static float readFloat(std::string_view text);
    // Strict reading: the whole text, less white space around it, is one
    // decimal number of the form above and finite. Anything else (empty
    // text, "abc", "12abc", "inf", a value beyond the double range) is none.
    static std::optional<double> readExactly(std::string_view text);

    // The "%f" form: six decimals, a full stop, no exponent.
    static std::string formatFixed(double value);

    // Like formatFixed with the given number of decimals ("%.4f" and so on).
    static std::string formatFixed(double value, int decimals);
};

} // namespace navora
