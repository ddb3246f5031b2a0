#pragma once

#include <cstddef>
#include <string_view>

namespace navora {

// The bytes of a file (read with pread from a descriptor) or of a text in
// memory, handed to libxml2 in chunks as its parser asks for them, from the
// start again for every parse.
class XmlFileInput {
public:
    // fd < 0 reads memory.
    XmlFileInput(int fd, std::string_view memory);

    void rewind();
    // The errno of a failed read, or 0.
    int readError() const { return m_readError; }

    // libxml2's read callback; context is the XmlFileInput.
    static int read(void* context, char* buffer, int length);

private:
    int readInto(char* buffer, int length);

    int m_fd;
    std::string_view m_memory;
    size_t m_offset = 0;
    int m_readError = 0;
};

} // namespace navora
