#include "model/DocumentArchive.h"

#include "model/RegularFile.h"

#include "model/ArchiveFormat.h"
#include "model/ArchiveReader.h"
#include "model/ArchiveWriter.h"
#include "model/AtomicFile.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace navora {

namespace {

std::string systemMessage(int errorNumber)
{
    return std::error_code(errorNumber, std::generic_category()).message();
}

std::optional<std::string> finished(ArchiveWriter& coder, std::string& error)
{
    if (!coder.finish()) {
        error = coder.error();
        return std::nullopt;
    }
    return coder.takeData();
}

// A decoder that gave up has left its reason in the reader; a missing reason
// would only hide a coder bug, so it is never left empty.
template <typename Result> Result rejected(const ArchiveReader& coder, std::string& error)
{
    error = coder.failed() ? coder.error() : "the document could not be decoded";
    return Result{};
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

std::string tooLarge(const std::string& path)
{
    return "cannot load \"" + path + "\": the file is larger than "
        + std::to_string(DocumentArchive::kMaxFileBytes >> 20) + " MiB";
}

std::optional<std::string> failedToRead(const std::string& path, int errorNumber, std::string& error)
{
    error = "cannot load \"" + path + "\": " + systemMessage(errorNumber);
    return std::nullopt;
}

} // namespace

std::optional<std::string> DocumentArchive::readFile(const std::string& path, std::string& error)
{
    std::string reason;
    const FileDescriptor file(RegularFile::openForReading(path, reason));
    if (file.get() < 0) {
        error = "cannot load \"" + path + "\": " + reason;
        return std::nullopt;
    }
    struct stat status { };
    if (::fstat(file.get(), &status) != 0)
        return failedToRead(path, errno, error);
    if (static_cast<uint64_t>(status.st_size) > DocumentArchive::kMaxFileBytes) {
        error = tooLarge(path);
        return std::nullopt;
    }
    std::string data;
    data.reserve(static_cast<size_t>(status.st_size));
    std::array<char, 1 << 16> chunk;
    for (;;) {
        const ssize_t got = ::read(file.get(), chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return failedToRead(path, errno, error);
        if (got == 0)
            return data;
        if (data.size() + static_cast<size_t>(got) > DocumentArchive::kMaxFileBytes) {
            error = tooLarge(path);
            return std::nullopt;
        }
        data.append(chunk.data(), static_cast<size_t>(got));
    }
}

namespace {

template <typename Document> Document withLoadContext(Document document, const std::string& path, std::string& error)
{
    if (!document)
        error = "cannot load \"" + path + "\": " + error;
    return document;
}

bool saveBytes(const std::string& path, const std::optional<std::string>& bytes, std::string& error)
{
    if (!bytes) {
        error = "cannot save \"" + path + "\": " + error;
        return false;
    }
    return AtomicFile::writeFile(path, *bytes, error);
}

} // namespace

std::optional<std::string> DocumentArchive::encodeWaypointList(const WaypointList& list, std::string& error)
{
    ArchiveWriter coder;
    writeWaypointList(coder, list);
    return finished(coder, error);
}

std::optional<WaypointList> DocumentArchive::decodeWaypointList(std::string_view data, std::string& error)
{
    ArchiveReader coder(data);
    if (!coder.readHeader())
        return rejected<std::optional<WaypointList>>(coder, error);
    auto list = readWaypointList(coder);
    if (!list || !coder.finish())
        return rejected<std::optional<WaypointList>>(coder, error);
    return list;
}

std::optional<std::string> DocumentArchive::encodeRoute(const Route& route, std::string& error)
{
    ArchiveWriter coder;
    route.encodeWithCoder(coder);
    return finished(coder, error);
}

RoutePtr DocumentArchive::decodeRoute(std::string_view data, std::string& error)
{
    ArchiveReader coder(data);
    if (!coder.readHeader())
        return rejected<RoutePtr>(coder, error);
    auto route = Route::initWithCoder(coder);
    if (!route || !coder.finish())
        return rejected<RoutePtr>(coder, error);
    return route;
}

bool DocumentArchive::saveWaypointList(const std::string& path, const WaypointList& list, std::string& error)
{
    // Streamed into the temporary as it is encoded: a long list's archive is
    // never whole in memory. Until the commit the old file stays as it was.
    AtomicFile file(path);
    if (!file.open(error))
        return false;
    std::string writeError;
    ArchiveWriter coder([&file, &writeError](std::string_view bytes) { return file.write(bytes, writeError); });
    writeWaypointList(coder, list);
    if (!coder.finish()) {
        error = !writeError.empty() ? writeError : "cannot save \"" + path + "\": " + coder.error();
        return false;
    }
    return file.commit(error);
}

std::optional<WaypointList> DocumentArchive::loadWaypointList(const std::string& path, std::string& error)
{
    const auto data = readFile(path, error);
    if (!data)
        return std::nullopt;
    return withLoadContext(decodeWaypointList(*data, error), path, error);
}

bool DocumentArchive::saveRoute(const std::string& path, const Route& route, std::string& error)
{
    return saveBytes(path, encodeRoute(route, error), error);
}

RoutePtr DocumentArchive::loadRoute(const std::string& path, std::string& error)
{
    const auto data = readFile(path, error);
    if (!data)
        return nullptr;
    return withLoadContext(decodeRoute(*data, error), path, error);
}

void DocumentArchive::writeWaypointList(ArchiveWriter& coder, const WaypointList& list)
{
    coder.beginList(list.size());
    if (coder.failed())
        return;
    // A waypoint with a short name and comment; a guess only, but it saves
    // most of the copying while a long list is written.
    constexpr size_t kTypicalWaypointBytes = 80;
    coder.reserve(list.size() * kTypicalWaypointBytes);
    for (size_t i = 0; i < list.size(); ++i) {
        if (!list[i]) {
            coder.fail("the waypoint list holds no waypoint at index " + std::to_string(i));
            return;
        }
        list[i]->encodeWithCoder(coder);
    }
    coder.endList();
}

std::optional<WaypointList> DocumentArchive::readWaypointList(ArchiveReader& coder)
{
    using namespace ArchiveFormat;
    size_t count = 0;
    if (!coder.beginList(count, minimumObjectBytes(kWaypointClass, kWaypointFields)))
        return std::nullopt;
    WaypointList list;
    // The reader has already bounded count by the bytes left.
    list.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        auto waypoint = Waypoint::initWithCoder(coder);
        if (!waypoint)
            return std::nullopt;
        list.push_back(std::move(waypoint));
    }
    if (!coder.endList())
        return std::nullopt;
    return list;
}

} // namespace navora
