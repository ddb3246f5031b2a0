#include "core/BinaryPlistCheck.h"

#include <cstdint>
#include <vector>

namespace navora {

namespace {

// The fixed tail of a binary property list ("bplist00"): sizes of the offset
// table's entries and of object references, the object count, the top
// object and where the offset table begins.
struct Trailer {
    unsigned offsetSize = 0;
    unsigned referenceSize = 0;
    uint64_t objectCount = 0;
    uint64_t topObject = 0;
    uint64_t offsetTable = 0;
};

class Reader {
public:
    explicit Reader(const QByteArray& bytes)
        : m_data(reinterpret_cast<const unsigned char*>(bytes.constData()))
        , m_size(static_cast<uint64_t>(bytes.size()))
    {
    }

    // A big-endian unsigned number of `width` bytes at `at`; none past the end.
    std::optional<uint64_t> number(uint64_t at, unsigned width) const
    {
        if (width == 0 || width > 8 || at > m_size || width > m_size - at)
            return std::nullopt;
        uint64_t value = 0;
        for (unsigned i = 0; i < width; ++i)
            value = (value << 8) | m_data[at + i];
        return value;
    }

    uint64_t size() const { return m_size; }

private:
    const unsigned char* m_data;
    uint64_t m_size;
};

constexpr uint64_t kTrailerSize = 32;

std::optional<Trailer> readTrailer(const Reader& reader)
{
    if (reader.size() < 8 + kTrailerSize)
        return std::nullopt;
    const uint64_t at = reader.size() - kTrailerSize;
    Trailer trailer;
    trailer.offsetSize = static_cast<unsigned>(reader.number(at + 6, 1).value_or(0));
    trailer.referenceSize = static_cast<unsigned>(reader.number(at + 7, 1).value_or(0));
    trailer.objectCount = reader.number(at + 8, 8).value_or(0);
    trailer.topObject = reader.number(at + 16, 8).value_or(0);
    trailer.offsetTable = reader.number(at + 24, 8).value_or(0);
    const bool sane = trailer.offsetSize >= 1 && trailer.offsetSize <= 8 && trailer.referenceSize >= 1
        && trailer.referenceSize <= 8 && trailer.objectCount > 0 && trailer.topObject < trailer.objectCount;
    return sane ? std::optional(trailer) : std::nullopt;
}

// A container's entry count and where its references begin: the count is in
// the marker's low four bits, or follows as an integer object when they are
// all set.
std::optional<std::pair<uint64_t, uint64_t>> containerCount(const Reader& reader, uint64_t at, unsigned lowBits)
{
    if (lowBits != 0xF)
        return std::pair<uint64_t, uint64_t>{lowBits, at + 1};
    const std::optional<uint64_t> intMarker = reader.number(at + 1, 1);
    if (!intMarker || (*intMarker >> 4) != 0x1 || (*intMarker & 0xF) > 3)
        return std::nullopt;
    const unsigned width = 1u << (*intMarker & 0xF);
    const std::optional<uint64_t> count = reader.number(at + 2, width);
    if (!count)
        return std::nullopt;
    return std::pair<uint64_t, uint64_t>{*count, at + 2 + width};
}

} // namespace

std::optional<QString> BinaryPlistCheck::problem(const QByteArray& bytes)
{
    const Reader reader(bytes);
    const std::optional<Trailer> trailer = readTrailer(reader);
    if (!trailer)
        return QStringLiteral("the binary property list has no valid trailer");
    struct Visit {
        uint64_t object;
        int depth;
    };
    std::vector<Visit> pending{{trailer->topObject, 1}};
    int nodes = 0;
    while (!pending.empty()) {
        const Visit visit = pending.back();
        pending.pop_back();
        if (++nodes > maxNodes)
            return QStringLiteral("the binary property list holds more than %1 nodes").arg(maxNodes);
        if (visit.depth > maxDepth)
            return QStringLiteral("the binary property list nests deeper than %1").arg(maxDepth);
        if (visit.object >= trailer->objectCount)
            return QStringLiteral("the binary property list refers to an object it does not hold");
        const auto offset
            = reader.number(trailer->offsetTable + visit.object * trailer->offsetSize, trailer->offsetSize);
        const auto marker = offset ? reader.number(*offset, 1) : std::nullopt;
        if (!marker)
            return QStringLiteral("the binary property list's offsets lie outside it");
        const unsigned type = static_cast<unsigned>(*marker >> 4);
        // Arrays, sets and dictionaries refer to other objects; nothing else does.
        if (type != 0xA && type != 0xC && type != 0xD)
            continue;
        const auto counted = containerCount(reader, *offset, static_cast<unsigned>(*marker & 0xF));
        if (!counted)
            return QStringLiteral("the binary property list has a container of unreadable size");
        const uint64_t references = type == 0xD ? counted->first * 2 : counted->first;
        if (references > static_cast<uint64_t>(maxNodes))
            return QStringLiteral("the binary property list holds more than %1 nodes").arg(maxNodes);
        for (uint64_t i = 0; i < references; ++i) {
            const auto child = reader.number(counted->second + i * trailer->referenceSize, trailer->referenceSize);
            if (!child)
                return QStringLiteral("the binary property list's references lie outside it");
            pending.push_back({*child, visit.depth + 1});
        }
    }
    return std::nullopt;
}

} // namespace navora
