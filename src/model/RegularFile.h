#pragma once

#include <string>

namespace navora {

// Opens the files that documents and imports read. Only a regular file is
// read: a pipe, a device or a folder is refused at once, and opening never
// blocks (a FIFO with no writer would otherwise hang the program for ever).
class RegularFile {
public:
    // A descriptor open for reading (the caller closes it), or -1 with the
    // reason in `reason`: the system's message, or "not a regular file".
    static int openForReading(const std::string& path, std::string& reason);
};

} // namespace navora
