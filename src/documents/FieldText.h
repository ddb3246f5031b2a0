#pragma once

#include <string>

namespace navora {

// How numbers are put into the text fields of the document windows. A float
// is written in its shortest form that reads back as the same float (so a
// value shown and read again is unchanged), with a full stop whatever the
// locale; an unknown (NaN) value shows as an empty field.
class FieldText {
public:
    static std::string fromFloat(float value);
    static std::string fromInt(int value);
};

} // namespace navora
