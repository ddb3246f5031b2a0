#include "model/ArchiveReader.h"

#include "model/ArchiveFormat.h"

#include <algorithm>
#include <bit>
#include <cstdio>

namespace navora {

using namespace ArchiveFormat;

namespace {

constexpr int kUnknownClass = -1;

// Which known class the name spells. Spelled out rather than looped over, so
// that every comparison has a constant length and compiles to a few loads
// instead of a library call; this runs once or twice per object read.
int knownClass(std::string_view name)
{
    if (name == kStringClass)
        return 0;
    if (name == kListClass)
        return 1;
    if (name == kWaypointClass)
        return 2;
    if (name == kRouteClass)
        return 3;
    return kUnknownClass;
}

// Damaged files put arbitrary bytes where names belong; messages show them
// escaped and shortened.
std::string printable(std::string_view raw)
{
    constexpr size_t kShown = 32;
    std::string text;
    for (const char c : raw.substr(0, kShown)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f) {
            text.push_back(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            text.append(escaped);
        }
    }
    if (raw.size() > kShown)
        text.append("...");
    return text;
}

std::string codeText(char code)
{
    switch (code) {
    case kNilCode:
        return "nil";
    case kFloatCode:
        return "float";
    case kInt32Code:
        return "int32";
    default:
        break;
    }
    char text[40];
    std::snprintf(text, sizeof text, "unknown type code 0x%02x", static_cast<unsigned char>(code));
    return text;
}

std::string atByte(size_t offset)
{
    return " at byte " + std::to_string(offset);
}

} // namespace

ArchiveReader::ArchiveReader(std::string_view data)
    : m_data(data)
    , m_frames{1}
{
}

bool ArchiveReader::readHeader()
{
    if (m_data.empty())
        return fail("the file is empty");
    if (!kMagic.starts_with(m_data.substr(0, kMagic.size())))
        return fail("not a Navora document (unknown file header)");
    if (!need(kMagic.size() + 2, "file header"))
        return false;
    m_offset = kMagic.size();
    const uint16_t version = takeU16();
    if (version != kVersion)
        return fail("unsupported archive version " + std::to_string(version) + " (this version of Navora reads "
            + std::to_string(kVersion) + ")");
    return true;
}

bool ArchiveReader::beginObject(std::string_view className, uint8_t fieldCount)
{
    const size_t at = m_offset;
    if (!takeSlot(className) || !readObjectStart(className, at) || !need(1, "field count"))
        return false;
    const uint8_t fields = takeU8();
    if (fields != fieldCount)
        return fail(std::string(className) + atByte(at) + " has " + std::to_string(fields) + " fields, expected "
            + std::to_string(fieldCount));
    return pushFrame(fields);
}

bool ArchiveReader::endObject()
{
    return popFrame("object");
}

bool ArchiveReader::beginList(size_t& count, size_t minimumElementBytes)
{
    const size_t at = m_offset;
    uint32_t declared = 0;
    if (!takeSlot(kListClass) || !readObjectStart(kListClass, at) || !readCountOrLength(declared, "list count"))
        return false;
    const size_t fitting = left() / (minimumElementBytes > 0 ? minimumElementBytes : 1);
    if (declared > kMaxListCount || declared > fitting)
        return fail("List" + atByte(at) + " declares " + std::to_string(declared) + " entries, but at most "
            + std::to_string(std::min(fitting, kMaxListCount)) + " can follow");
    count = declared;
    return pushFrame(declared);
}

bool ArchiveReader::endList()
{
    return popFrame("list");
}

bool ArchiveReader::decodeFloat(float& value)
{
    const size_t at = m_offset;
    char code = 0;
    if (!takeSlot("float") || !readCode(code, "float"))
        return false;
    if (code != kFloatCode)
        return expectedButFound("float", at, codeText(code));
    if (!need(4, "float"))
        return false;
    value = std::bit_cast<float>(takeU32());
    return true;
}

bool ArchiveReader::decodeInt32(int32_t& value)
{
    const size_t at = m_offset;
    char code = 0;
    if (!takeSlot("int32") || !readCode(code, "int32"))
        return false;
    if (code != kInt32Code)
        return expectedButFound("int32", at, codeText(code));
    if (!need(4, "int32"))
        return false;
    value = static_cast<int32_t>(takeU32());
    return true;
}

bool ArchiveReader::decodeStringOrNil(std::optional<std::string>& value)
{
    const size_t at = m_offset;
    if (!takeSlot(kStringClass) || !need(1, "type code"))
        return false;
    if (m_data[m_offset] == kNilCode) {
        ++m_offset;
        value.reset();
        return true;
    }
    uint32_t length = 0;
    if (!readObjectStart(kStringClass, at) || !readCountOrLength(length, "string length"))
        return false;
    if (length > kMaxStringBytes)
        return fail("String" + atByte(at) + " declares " + std::to_string(length)
            + " bytes, more than a text may hold (" + std::to_string(kMaxStringBytes) + ")");
    if (length > left())
        return fail("String" + atByte(at) + " declares " + std::to_string(length) + " bytes, but only "
            + std::to_string(left()) + " follow");
    value.emplace(m_data.substr(m_offset, length));
    m_offset += length;
    return true;
}

bool ArchiveReader::finish()
{
    if (failed())
        return false;
    if (m_frames.size() != 1 || m_frames.front() != 0)
        return fail("the document's root value was not read completely");
    if (left() > 0)
        return fail(std::to_string(left()) + " bytes of unexpected data after the document" + atByte(m_offset));
    return true;
}

bool ArchiveReader::fail(std::string message)
{
    if (m_error.empty())
        m_error = std::move(message);
    return false;
}

bool ArchiveReader::truncated(size_t bytes, std::string_view what)
{
    if (failed())
        return false;
    return fail("truncated data: " + std::string(what) + atByte(m_offset) + " needs " + std::to_string(bytes)
        + " bytes, " + std::to_string(left()) + " left");
}

bool ArchiveReader::slotRefused(std::string_view expected)
{
    if (failed())
        return false;
    return fail(std::string(expected) + atByte(m_offset) + " read beyond the end of its object or list");
}

// The type code and class name of an object of the expected class.
bool ArchiveReader::readObjectStart(std::string_view expected, size_t at)
{
    char code = 0;
    if (!readCode(code, expected))
        return false;
    if (code != kObjectCode)
        return expectedButFound(expected, at, codeText(code));
    if (!need(1, "class name length"))
        return false;
    const uint8_t length = takeU8();
    if (!need(length, "class name"))
        return false;
    const std::string_view name = m_data.substr(m_offset, length);
    m_offset += length;
    const int found = knownClass(name);
    if (found == kUnknownClass)
        return fail("unknown class name \"" + printable(name) + "\"" + atByte(at));
    // The same as name != expected, now that name is a known class.
    if (found != knownClass(expected))
        return expectedButFound(expected, at, name);
    return true;
}

bool ArchiveReader::expectedButFound(std::string_view expected, size_t at, std::string_view found)
{
    return fail("expected " + std::string(expected) + atByte(at) + ", found " + std::string(found));
}

bool ArchiveReader::pushFrame(size_t values)
{
    if (m_frames.size() > kMaxDepth)
        return fail("objects nested deeper than " + std::to_string(kMaxDepth) + " levels" + atByte(m_offset));
    m_frames.push_back(values);
    return true;
}

bool ArchiveReader::popFrame(std::string_view what)
{
    if (failed())
        return false;
    if (m_frames.size() < 2)
        return fail("end of " + std::string(what) + atByte(m_offset) + " without a beginning");
    if (m_frames.back() != 0)
        return fail(std::string(what) + " ending" + atByte(m_offset) + " still holds " + std::to_string(m_frames.back())
            + " unread value(s)");
    m_frames.pop_back();
    return true;
}

uint16_t ArchiveReader::takeU16()
{
    const uint16_t low = takeU8();
    return static_cast<uint16_t>(low | (takeU8() << 8));
}

} // namespace navora
