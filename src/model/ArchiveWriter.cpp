#include "model/ArchiveWriter.h"

#include "model/ArchiveFormat.h"

#include <algorithm>
#include <bit>

namespace navora {

using namespace ArchiveFormat;

namespace {

// What a streaming writer gathers before handing it on.
constexpr size_t kHandOnBytes = size_t{256} << 10;

} // namespace

ArchiveWriter::ArchiveWriter()
    : m_frames{1}
{
    m_data.append(kMagic);
    putU16(kVersion);
}

ArchiveWriter::ArchiveWriter(Sink sink)
    : ArchiveWriter()
{
    m_sink = std::move(sink);
}

void ArchiveWriter::reserve(size_t bytes)
{
    // A streaming writer holds no more than what it hands on at a time.
    m_data.reserve(m_data.size() + (m_sink ? std::min(bytes, kHandOnBytes) : bytes));
}

void ArchiveWriter::beginObject(std::string_view className, uint8_t fieldCount)
{
    if (!takeSlot(className) || !pushFrame(fieldCount, className))
        return;
    putObjectStart(className);
    putU8(fieldCount);
}

void ArchiveWriter::endObject()
{
    popFrame("object");
    if (m_sink && m_data.size() >= kHandOnBytes)
        handOn();
}

void ArchiveWriter::handOn()
{
    if (failed())
        return;
    if (!m_sink(m_data))
        return fail("the archive's bytes could not be written");
    m_data.clear();
}

void ArchiveWriter::beginList(size_t count)
{
    if (!takeSlot(kListClass))
        return;
    if (count > kMaxListCount)
        return fail("a list of " + std::to_string(count) + " entries is more than an archive holds ("
            + std::to_string(kMaxListCount) + ")");
    if (!pushFrame(count, kListClass))
        return;
    putObjectStart(kListClass);
    putU32(static_cast<uint32_t>(count));
}

void ArchiveWriter::endList()
{
    popFrame("list");
}

void ArchiveWriter::encodeFloat(float value)
{
    if (!takeSlot("float"))
        return;
    m_data.push_back(kFloatCode);
    putU32(std::bit_cast<uint32_t>(value));
}

void ArchiveWriter::encodeInt32(int32_t value)
{
    if (!takeSlot("int32"))
        return;
    m_data.push_back(kInt32Code);
    putU32(static_cast<uint32_t>(value));
}

void ArchiveWriter::encodeString(std::string_view value)
{
    if (!takeSlot(kStringClass))
        return;
    if (value.size() > kMaxStringBytes)
        return fail("a text of " + std::to_string(value.size()) + " bytes is longer than an archive holds ("
            + std::to_string(kMaxStringBytes) + ")");
    putObjectStart(kStringClass);
    putU32(static_cast<uint32_t>(value.size()));
    m_data.append(value);
}

void ArchiveWriter::encodeStringOrNil(const std::optional<std::string>& value)
{
    if (value)
        encodeString(*value);
    else
        encodeNil();
}

void ArchiveWriter::encodeNil()
{
    if (takeSlot("nil"))
        m_data.push_back(kNilCode);
}

void ArchiveWriter::fail(std::string message)
{
    if (m_error.empty())
        m_error = std::move(message);
}

bool ArchiveWriter::finish()
{
    if (!failed() && (m_frames.size() != 1 || m_frames.front() != 0))
        fail("the archive's root value is incomplete");
    if (m_sink)
        handOn();
    return !failed();
}

bool ArchiveWriter::slotRefused(std::string_view what)
{
    if (failed())
        return false;
    fail(std::string(what) + " written beyond the declared size of its object or list");
    return false;
}

bool ArchiveWriter::pushFrame(size_t values, std::string_view what)
{
    if (m_frames.size() > kMaxDepth) {
        fail(std::string(what) + " nested deeper than " + std::to_string(kMaxDepth) + " levels");
        return false;
    }
    m_frames.push_back(values);
    return true;
}

void ArchiveWriter::popFrame(std::string_view what)
{
    if (failed())
        return;
    if (m_frames.size() < 2)
        return fail(std::string("end of ") + std::string(what) + " without a beginning");
    if (m_frames.back() != 0)
        return fail(std::string(what) + " ended with " + std::to_string(m_frames.back()) + " value(s) missing");
    m_frames.pop_back();
}

void ArchiveWriter::putObjectStart(std::string_view className)
{
    m_data.push_back(kObjectCode);
    putU8(static_cast<uint8_t>(className.size()));
    m_data.append(className);
}

void ArchiveWriter::putU16(uint16_t value)
{
    putU8(static_cast<uint8_t>(value & 0xffu));
    putU8(static_cast<uint8_t>(value >> 8));
}

// One append rather than four: this runs for every number and length.
void ArchiveWriter::putU32(uint32_t value)
{
    const char bytes[4]{static_cast<char>(value & 0xffu), static_cast<char>((value >> 8) & 0xffu),
        static_cast<char>((value >> 16) & 0xffu), static_cast<char>(value >> 24)};
    m_data.append(bytes, sizeof bytes);
}

} // namespace navora
