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

    // The shortest text that reads back as the same float, a full stop and
    // no exponent: 47.5412f is "47.5412", not the "47.541199" of its double.
    // A stored float says no more than this, so coordinates and altitudes
    // are shown and written in this form.
    static std::string formatShortest(float value);

    // Like formatFixed with the given number of decimals ("%.4f" and so on).
    static std::string formatFixed(double value, int decimals);
};

} // namespace navora
