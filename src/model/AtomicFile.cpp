#include "model/AtomicFile.h"

#include "core/Log.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace navora {

namespace {

std::string systemMessage(int errorNumber)
{
    return std::error_code(errorNumber, std::generic_category()).message();
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string fileNameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The start of the names of target's temporaries, ".NAME.", NAME cut so that
// the whole name stays within the 255 bytes a name may have. Appended piece
// by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on "." + std::string.
std::string temporaryPrefix(const std::string& target)
{
    return std::string(1, '.').append(fileNameOf(target).substr(0, 200)).append(1, '.');
}

// Replacing a symbolic link by a file would cut the link the user made.
std::string resolvedTarget(const std::string& path)
{
    struct stat status { };
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
        return path;
    char resolved[PATH_MAX];
    // A dangling link cannot be resolved; the link itself is then replaced.
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// umask() can only be read by changing it, which would race with other
// threads creating files; the kernel reports it in /proc instead.
mode_t currentUmask()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "Umask:") {
            unsigned int mask = 0;
            if (status >> std::oct >> mask)
                return static_cast<mode_t>(mask & 0777u);
            break;
        }
        status.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    return 022;
}

mode_t modeForTarget(const std::string& target)
{
    struct stat status { };
    if (::stat(target.c_str(), &status) == 0)
        return status.st_mode & 07777;
    return 0666 & ~currentUmask();
}

// Makes the rename itself durable. The new contents are already in place when
// this runs, so a failure is only worth a log line.
void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0)
        Log::line("cannot flush folder " + folder + ": " + systemMessage(errno));
    if (fd >= 0)
        ::close(fd);
}

} // namespace

AtomicFile::AtomicFile(std::string path)
    : m_path(std::move(path))
{
}

AtomicFile::~AtomicFile()
{
    discard();
}

void AtomicFile::removeStaleTemporaries(const std::string& target)
{
    // Far longer than the largest document takes to write.
    constexpr auto staleAfter = std::chrono::minutes(10);
    const std::string prefix = temporaryPrefix(target);
    constexpr size_t suffixLength = 6; // mkostemp's XXXXXX
    std::error_code code;
    std::filesystem::directory_iterator entries(folderOf(target), code);
    if (code)
        return;
    const auto now = std::filesystem::file_time_type::clock::now();
    for (const auto& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (name.size() != prefix.size() + suffixLength || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (!entry.is_regular_file(code) || entry.is_symlink(code))
            continue;
        const auto modified = entry.last_write_time(code);
        if (code || now - modified < staleAfter)
            continue;
        if (std::filesystem::remove(entry.path(), code))
            Log::line("Removed " + entry.path().string() + ", left by a save that was interrupted");
    }
}

bool AtomicFile::open(std::string& error)
{
    discard();
    m_target = resolvedTarget(m_path);
    removeStaleTemporaries(m_target);
    std::string pattern = folderOf(m_target) + "/" + temporaryPrefix(m_target) + "XXXXXX";
    m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (m_fd < 0) {
        const int reason = errno;
        return fail("creating a temporary file in " + folderOf(m_target), reason, error);
    }
    m_tempPath = std::move(pattern);
    return setMode(error);
}

bool AtomicFile::write(std::string_view bytes, std::string& error)
{
    if (m_fd < 0)
        return fail("writing", EBADF, error);
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            // A regular file that takes no bytes and reports no reason is as good as failed.
            const int reason = written < 0 ? errno : EIO;
            return fail("writing", reason, error);
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool AtomicFile::commit(std::string& error)
{
    if (m_fd < 0)
        return fail("saving", EBADF, error);
    int result = 0;
    do {
        result = ::fsync(m_fd);
    } while (result != 0 && errno == EINTR);
    if (result != 0)
        return fail("flushing to disk", errno, error);
    // close() may report a delayed write error; the descriptor is gone either way.
    result = ::close(m_fd);
    m_fd = -1;
    if (result != 0 && errno != EINTR)
        return fail("closing", errno, error);
    if (::rename(m_tempPath.c_str(), m_target.c_str()) != 0)
        return fail("replacing the file", errno, error);
    m_tempPath.clear();
    syncFolder(folderOf(m_target));
    return true;
}

void AtomicFile::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_tempPath.empty())
        ::unlink(m_tempPath.c_str());
    m_tempPath.clear();
}

bool AtomicFile::writeFile(const std::string& path, std::string_view contents, std::string& error)
{
    AtomicFile file(path);
    return file.open(error) && file.write(contents, error) && file.commit(error);
}

bool AtomicFile::fail(std::string_view action, int errorNumber, std::string& error)
{
    discard();
    error = "cannot save \"" + m_path + "\": " + std::string(action) + ": " + systemMessage(errorNumber);
    return false;
}

// mkstemp creates the file readable by its owner only.
bool AtomicFile::setMode(std::string& error)
{
    if (::fchmod(m_fd, modeForTarget(m_target)) != 0)
        return fail("setting permissions", errno, error);
    return true;
}

} // namespace navora
