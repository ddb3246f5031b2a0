#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace navora::test {

// Archive bytes put together by hand, independently of ArchiveWriter: for
// inputs the writer never produces, and so that the reader is checked against
// the documented layout rather than against the writer.
class ArchiveBytes {
public:
    ArchiveBytes& header(uint16_t version = 1) { return raw(std::string_view("\x89NVA\r\n\x1a\n", 8)).u16(version); }
    ArchiveBytes& raw(std::string_view bytes)
    {
        m_bytes.append(bytes);
        return *this;
    }
    ArchiveBytes& u8(uint8_t value)
    {
        m_bytes.push_back(static_cast<char>(value));
        return *this;
    }
    ArchiveBytes& u16(uint16_t value)
    {
        return u8(static_cast<uint8_t>(value & 0xff)).u8(static_cast<uint8_t>(value >> 8));
    }
    ArchiveBytes& u32(uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            u8(static_cast<uint8_t>((value >> shift) & 0xff));
        return *this;
    }
    ArchiveBytes& className(std::string_view name) { return raw("@").u8(static_cast<uint8_t>(name.size())).raw(name); }
    ArchiveBytes& object(std::string_view name, uint8_t fields) { return className(name).u8(fields); }
    ArchiveBytes& list(uint32_t count) { return className("List").u32(count); }
    ArchiveBytes& string(std::string_view text)
    {
        return className("String").u32(static_cast<uint32_t>(text.size())).raw(text);
    }
    ArchiveBytes& nil() { return raw("n"); }
    ArchiveBytes& f32(float value) { return raw("f").u32(std::bit_cast<uint32_t>(value)); }
    ArchiveBytes& i32(int32_t value) { return raw("i").u32(static_cast<uint32_t>(value)); }
    ArchiveBytes& waypoint(std::string_view name, float latitude, float longitude, float altitude)
    {
        return object("Waypoint", 5).string(name).string("").f32(latitude).f32(longitude).f32(altitude);
    }

    const std::string& bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

} // namespace navora::test
