#include "support/ScratchDirectory.h"

#include <cstdlib>
#include <system_error>

namespace navora::test {

ScratchDirectory::ScratchDirectory()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "navora-gps-XXXXXX").string();
    if (::mkdtemp(pattern.data()))
        m_path = pattern;
}

ScratchDirectory::~ScratchDirectory()
{
    std::error_code ignored;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ignored);
}

} // namespace navora::test
