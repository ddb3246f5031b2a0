#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

// Reads a document archive (layout in ArchiveFormat.h) without trusting it:
// every type code, class name, field count, length and list count is checked
// against what the coder expects and against the bytes left, before anything
// is allocated. The first problem ends the reading; every later call returns
// false and error() tells what was wrong and at which byte.
class ArchiveReader {
public:
    // The data must outlive the reader.
    explicit ArchiveReader(std::string_view data);

    // The magic and a version this reader understands.
    bool readHeader();

    // An object of the class with exactly fieldCount fields, closed by
    // endObject() once all of them have been read.
    bool beginObject(std::string_view className, uint8_t fieldCount);
    bool endObject();
    // A list; count is its length, which cannot exceed the bytes left divided
    // by minimumElementBytes, the smallest encoding of one entry.
    bool beginList(size_t& count, size_t minimumElementBytes);
    bool endList();

    bool decodeFloat(float& value);
    bool decodeInt32(int32_t& value);
    // A String object, or nil (no value).
    bool decodeStringOrNil(std::optional<std::string>& value);

    // The root value was read completely and no bytes follow it.
    bool finish();
    bool failed() const { return !m_error.empty(); }
    const std::string& error() const { return m_error; }

private:
    bool fail(std::string message);
    // need(), takeSlot() and the takers run several times per value: their
    // passing case is inline, and messages are built apart, on failure.
    bool need(size_t bytes, std::string_view what)
    {
        if (!failed() && left() >= bytes) [[likely]]
            return true;
        return truncated(bytes, what);
    }
    bool truncated(size_t bytes, std::string_view what);
    // Each value fills one slot of the innermost open object or list; a coder
    // reading more than was declared is refused rather than reading on.
    bool takeSlot(std::string_view expected)
    {
        if (!failed() && m_frames.back() > 0) [[likely]] {
            --m_frames.back();
            return true;
        }
        return slotRefused(expected);
    }
    bool slotRefused(std::string_view expected);
    bool readCode(char& code, std::string_view expected)
    {
        if (!need(1, expected))
            return false;
        code = m_data[m_offset++];
        return true;
    }
    bool readObjectStart(std::string_view expected, size_t at);
    bool readCountOrLength(uint32_t& value, std::string_view what)
    {
        if (!need(4, what))
            return false;
        value = takeU32();
        return true;
    }
    bool expectedButFound(std::string_view expected, size_t at, std::string_view found);
    bool pushFrame(size_t values);
    bool popFrame(std::string_view what);
    uint8_t takeU8() { return static_cast<uint8_t>(m_data[m_offset++]); }
    uint16_t takeU16();
    // Assembled from a local pointer, which compilers turn into one load.
    uint32_t takeU32()
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(m_data.data() + m_offset);
        m_offset += 4;
        return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8)
            | (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    }
    size_t left() const { return m_data.size() - m_offset; }

    std::string_view m_data;
    size_t m_offset = 0;
    // Values still to be read in each open object or list; the first entry is
    // the root, which holds exactly one value.
    std::vector<size_t> m_frames;
    std::string m_error;
};

} // namespace navora
