#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

// Builds a document archive (layout in ArchiveFormat.h) in memory, or hands it
// on to a sink as it grows: the header first, then one root value whose
// objects the coders write field by field.
// The writer counts what it is given against what each object and list
// declared, and refuses anything the reader would refuse, so a finished
// archive always reads back. The first problem is kept in error().
class ArchiveWriter {
public:
    // Receives a streaming writer's bytes in order; false when they could not
    // be taken, which stops the writer.
    using Sink = std::function<bool(std::string_view bytes)>;

    ArchiveWriter();
    // Hands the bytes to sink whenever an object ends with more than a few
    // hundred kilobytes gathered, and the rest when it finishes: a large
    // document is never whole in memory.
    explicit ArchiveWriter(Sink sink);

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
    void reserve(size_t bytes);

    // Lets a coder refuse what cannot be archived; the first message is kept.
    void fail(std::string message);

    // True when the root value is complete and nothing went wrong (a
    // streaming writer's bytes all taken by its sink).
    bool finish();
    bool failed() const { return !m_error.empty(); }
    const std::string& error() const { return m_error; }

    // The archive bytes (of a streaming writer, those not yet handed on); the
    // writer is empty afterwards.
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
    void handOn();
    void putU8(uint8_t value) { m_data.push_back(static_cast<char>(value)); }
    void putU16(uint16_t value);
    void putU32(uint32_t value);

    std::string m_data;
    Sink m_sink;
    // Values still to be written in each open object or list; the first
    // entry is the root, which takes exactly one value.
    std::vector<size_t> m_frames;
    std::string m_error;
};

} // namespace navora
