// Feeds arbitrary bytes to the alert table reader (XML and binary property
// lists): a table given as a file must never crash or stall the program.
#include "alerts/AlertTable.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    (void)navora::AlertTable::fromData(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
