#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace navora {

// Walks the object graph of a binary property list before the library reads
// it, so that a hostile document cannot make the library work without end:
// a few hundred bytes of arrays that share their children expand to billions
// of nodes, and arrays nested a hundred thousand deep overflow the stack. The
// walk counts every node as often as it is reached and stops at the limits.
class BinaryPlistCheck {
public:
    // More than an update document (a dictionary of a few strings) ever holds.
    static constexpr int maxDepth = 32;
    static constexpr int maxNodes = 1024;

    // Why the document may not be read, or nothing when it may.
    static std::optional<QString> problem(const QByteArray& bytes);
};

} // namespace navora
