#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The layout of a Navora document archive. Numbers are little-endian.
//
//   archive := magic version:u16 value        the root value, then nothing
//   value   := 'n'                            nil
//            | '@' name:u8 char[name] body    an object of the named class
//   body    := length:u32 byte[length]        String: UTF-8, kept byte for byte
//            | count:u32 value[count]         List
//            | fields:u8 field[fields]        Waypoint, Route
//   field   := 'f' float32 | 'i' int32 | value
//
// Every value carries its type and every object its class, so a reader can say
// exactly where and how a damaged or foreign file stops making sense.
namespace navora::ArchiveFormat {

// PNG-style: a non-ASCII first byte and line endings that text-mode
// transfers would mangle.
inline constexpr std::string_view kMagic{"\x89NVA\r\n\x1a\n", 8};
inline constexpr uint16_t kVersion = 1;

inline constexpr char kNilCode = 'n';
inline constexpr char kObjectCode = '@';
inline constexpr char kFloatCode = 'f';
inline constexpr char kInt32Code = 'i';

inline constexpr std::string_view kStringClass = "String";
inline constexpr std::string_view kListClass = "List";
inline constexpr std::string_view kWaypointClass = "Waypoint";
inline constexpr uint8_t kWaypointFields = 5;
inline constexpr std::string_view kRouteClass = "Route";
inline constexpr uint8_t kRouteFields = 3;

// Bounds shared by writer and reader: whatever is written can be read back,
// and no file can make the reader allocate beyond them.
inline constexpr size_t kMaxDepth = 16;
inline constexpr size_t kMaxStringBytes = size_t{16} << 20;
inline constexpr size_t kMaxListCount = size_t{1} << 24;

// Smallest encoding of an object with fields: code, class name, field count,
// and at least a type code per field.
constexpr size_t minimumObjectBytes(std::string_view className, size_t fieldCount)
{
    return 1 + 1 + className.size() + 1 + fieldCount;
}

} // namespace navora::ArchiveFormat
