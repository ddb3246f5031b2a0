#pragma once

#include "nav/GPSRecord.h"

#include <string_view>

namespace navora {

// Reads the replies of gpsd's single-letter protocol into the record:
// "GPSD,O=...,M=3,Y=...,X=..." where O is the fix, M the mode, Y the
// satellites and X the receiver's on-line state. "?" stands for an unknown
// value. Other letters are accepted and ignored.
class LetterReply {
public:
    // Takes one reply line (without its line end) into record. False when the
    // line is not a reply of this protocol or a field could not be read; the
    // fields that could be read are taken all the same.
    static bool apply(std::string_view line, GPSRecord& record);

private:
    static bool applyFix(std::string_view value, GPSRecord& record);
    static bool applyMode(std::string_view value, GPSRecord& record);
    static bool applySatellites(std::string_view value, GPSRecord& record);
    static bool applyOnline(std::string_view value, GPSRecord& record);
};

} // namespace navora
