// Feeds arbitrary bytes to the alert table reader, which reads XML and binary
// property lists. The program's own table is compiled in, but a table given
// as a file must never crash or stall it; the hostile seeds in corpus/plist
// would make the property-list library work without end.
#include "alerts/AlertTable.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const navora::AlertTable table
        = navora::AlertTable::fromData(std::string_view(reinterpret_cast<const char*>(data), size));
    (void)table;
    return 0;
}
