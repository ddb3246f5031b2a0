#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace navora {

// Conversions between a coordinate (a latitude or longitude float in signed
// decimal degrees) and the texts of the document windows. Pure functions;
// the editors only move field contents in and out.
//
// The entry-field conversions are single precision, one float rounding per
// step, in the order written: the stored positions are floats and the fields
// read back through the same steps. The display rounds once, in double, to
// the digits it shows. Nothing here depends on the locale.
class CoordinateText {
public:
    enum class Axis { Latitude, Longitude };

    // The entry fields of a coordinate in degrees, minutes and seconds.
    struct DmsFields {
        char hemisphere; // 'N'/'S' or 'E'/'W'
        int degrees;
        int minutes;
        float seconds;
    };

    // Reads a coordinate as people type it: decimal degrees with a full stop
    // or a decimal comma ("51,5"), degrees and decimal minutes ("47 32.47"),
    // or degrees, minutes and seconds ("47° 32' 28.2\""), with the degree,
    // minute and second marks or plain spaces between the parts, and a sign
    // or a hemisphere letter (N/S for a latitude, E/W for a longitude, either
    // case) before or after. Minutes and seconds are below 60, the value in
    // range for the axis. Anything else is none.
    static std::optional<double> read(std::string_view text, Axis axis);

    // 'N' or 'E' when positive is true, else 'S' or 'W'.
    static char hemisphereLetter(Axis axis, bool positive);

    // The read-only display of the route document, by the tag of the chosen
    // format: 1 "37.7749° N" (the shortest text of the stored float), 2
    // "37° 46.4939' N", 3 "37° 46' 29.63\" N";
    // minutes and seconds come from the value rounded once to the last digit
    // shown, so 10.999999 shows 11° 0' 0.00" N, never 60 seconds. An unknown
    // (NaN) position shows "". nullopt for any other tag (the fields then
    // keep what they show).
    static std::optional<std::string> display(float value, Axis axis, int tag);

    // Decimal entry -> degree, minute and second fields: the value rounded
    // once to the fewest decimals of a second (at most six) with which the
    // fields read back through decimalFromDms as the same float, carrying
    // into minutes and degrees. A negative value (or NaN) takes the
    // southern/western letter.
    static DmsFields dmsFromDecimal(float value, Axis axis);
    // The same from the decimal field's text, read leniently (no number: 0).
    static DmsFields dmsFromDecimalText(std::string_view text, Axis axis);

    // Degree, minute and second fields -> signed decimal degrees. Values are
    // used as typed: no range check, carry or normalisation. Any hemisphere
    // other than 'N' (latitude) or 'E' (longitude) makes the value negative.
    static float decimalFromDms(float degrees, float minutes, float seconds, char hemisphere, Axis axis);
    // The same from the fields' texts; nullopt while the degree text is empty
    // (the decimal field then stays as it is). Other empty fields read as 0.
    static std::optional<float> decimalFromDmsText(
        std::string_view degrees, std::string_view minutes, std::string_view seconds, char hemisphere, Axis axis);
};

} // namespace navora
