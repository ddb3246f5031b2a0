// Feeds arbitrary bytes to the update document reader, as an update server
// (or whoever stands in for it) could send them; libFuzzer's time and memory
// limits catch a document that keeps the property-list library busy.
#include "app/update/UpdateDocument.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const navora::UpdateDocument document
        = navora::UpdateDocument::parse(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    // A document names a version or says why not, never both or neither.
    if (document.hasVersion() == !document.problem().isEmpty())
        __builtin_trap();
    return 0;
}
