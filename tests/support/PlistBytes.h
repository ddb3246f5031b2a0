#pragma once

#include <QByteArray>
#include <QString>

namespace navora::test {

// Property lists as a server or a table file holds them, made with libplist
// itself.
class PlistBytes {
public:
    // An XML property list of a dictionary with "CFBundleVersion" (and a key
    // the reader must ignore).
    static QByteArray xmlWithVersion(const QString& version);
    // The same XML wrapped around any top-level body.
    static QByteArray xmlWithBody(const QByteArray& body);
    // The binary encoding of an XML property list.
    static QByteArray binaryFromXml(const QByteArray& xml);
};

} // namespace navora::test
