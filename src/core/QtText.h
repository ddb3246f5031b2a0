#pragma once

#include <QString>

#include <string_view>

namespace navora {

// The model and the settings keep their texts as UTF-8; Qt wants them as
// QString. A string_view need not be null-terminated, so its size is passed.
inline QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace navora
