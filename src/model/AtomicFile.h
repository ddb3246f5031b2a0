#pragma once

#include <string>
#include <string_view>

namespace navora {

// Replaces a file so that nobody, not even after a crash or with a full disk,
// ever finds it half written: the bytes go to a temporary file in the same
// folder, which is flushed to disk and then renamed over the target. Until
// the rename the target is untouched; any failure removes the temporary.
// The target keeps its permission bits; a new file gets those of any newly
// created file (0666 less the umask). Saving through a symbolic link replaces
// the file it points to and keeps the link.
class AtomicFile {
public:
    explicit AtomicFile(std::string path);
    // Discards an uncommitted temporary.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary next to the target.
    bool open(std::string& error);
    // Appends to the temporary.
    bool write(std::string_view bytes, std::string& error);
    // Flushes the temporary and puts it in the target's place.
    bool commit(std::string& error);
    // Drops the temporary; the target stays as it was.
    void discard();

    // open, write and commit in one. Errors name the path and the system's
    // reason.
    static bool writeFile(const std::string& path, std::string_view contents, std::string& error);

private:
    bool fail(std::string_view action, int errorNumber, std::string& error);
    // Removes the temporaries that saves of target killed midway left
    // behind: ours by their name (".NAME.XXXXXX" beside it) and untouched for
    // longer than any running save could be.
    static void removeStaleTemporaries(const std::string& target);
    bool setMode(std::string& error);

    std::string m_path;
    // The file actually replaced: m_path, or where its symbolic link points.
    std::string m_target;
    std::string m_tempPath;
    int m_fd = -1;
};

} // namespace navora
