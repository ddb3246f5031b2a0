#include "io/XmlFileInput.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace navora {

XmlFileInput::XmlFileInput(int fd, std::string_view memory)
    : m_fd(fd)
    , m_memory(memory)
{
}

void XmlFileInput::rewind()
{
    m_offset = 0;
    m_readError = 0;
}

int XmlFileInput::read(void* context, char* buffer, int length)
{
    return static_cast<XmlFileInput*>(context)->readInto(buffer, length);
}

int XmlFileInput::readInto(char* buffer, int length)
{
    if (length <= 0)
        return 0;
    const size_t wanted = static_cast<size_t>(length);
    if (m_fd < 0) {
        const size_t count = std::min(wanted, m_memory.size() - m_offset);
        std::memcpy(buffer, m_memory.data() + m_offset, count);
        m_offset += count;
        return static_cast<int>(count);
    }
    for (;;) {
        const ssize_t count = ::pread(m_fd, buffer, wanted, static_cast<off_t>(m_offset));
        if (count >= 0) {
            m_offset += static_cast<size_t>(count);
            return static_cast<int>(count);
        }
        if (errno != EINTR) {
            m_readError = errno;
            return -1;
        }
    }
}

} // namespace navora
