#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

// Builds a document archive (layout in ArchiveFormat.h) in memory: the header
// first, then one root value whose objects the coders write field by field.
// The writer counts what it is given against what each object and list
// declared, and refuses anything the reader would refuse, so a finished
// archive always reads back. The first problem is kept in error().
class ArchiveWriter {
public:
    ArchiveWriter();

    // An object with fieldCount fields to follow, closed by endObject().
    void beginObject(std::string_view className, uint8_t fieldCount);
    void endObject();
    // A list of count values to follow, closed by endList().
    void beginList(size_t count);
    void endList();

    // Bit-exact: NaN payloads and signs are kept.
    void encodeFloat(float value);
    void encodeInt32(int32_t value);
    // A String object.
    void encodeString(std::string_view value);
    // A String object, or nil when there is no value.
    void encodeStringOrNil(const std::optional<std::string>& value);
    void encodeNil();

    // Room for this many more bytes, so that large documents are not copied
    // over and over while they grow.
    void reserve(size_t bytes) { m_data.reserve(m_data.size() + bytes); }

    // Lets a coder refuse what cannot be archived; the first message is kept.
    void fail(std::string message);

    // True when the root value is complete and nothing went wrong.
    bool finish();
    bool failed() const { return !m_error.empty(); }
    const std::string& error() const { return m_error; }

    // The archive bytes; the writer is empty afterwards.
    std::string takeData() { return std::move(m_data); }

private:
    // Every value fills one declared slot of the innermost open object or
    // list. Runs for every value: the passing case is inline, the message
    // is built apart.
    bool takeSlot(std::string_view what)
    {
        if (!failed() && m_frames.back() > 0) [[likely]] {
            --m_frames.back();
            return true;
        }
        return slotRefused(what);
    }
    bool slotRefused(std::string_view what);
    bool pushFrame(size_t values, std::string_view what);
    void popFrame(std::string_view what);
    void putObjectStart(std::string_view className);
    void putU8(uint8_t value) { m_data.push_back(static_cast<char>(value)); }
    void putU16(uint16_t value);
    void putU32(uint32_t value);

    std::string m_data;
    // Values still to be written in each open object or list; the first
    // entry is the root, which takes exactly one value.
    std::vector<size_t> m_frames;
    std::string m_error;
};

} // namespace navora
