#include "support/PlistBytes.h"

#include <plist/plist.h>

#include <cstdint>
#include <stdexcept>

namespace navora::test {

QByteArray PlistBytes::xmlWithBody(const QByteArray& body)
{
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                             "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                             "<plist version=\"1.0\">\n")
        + body + QByteArrayLiteral("\n</plist>\n");
}

QByteArray PlistBytes::xmlWithVersion(const QString& version)
{
    return xmlWithBody(QByteArrayLiteral("<dict><key>CFBundleName</key><string>Navora</string>"
                                         "<key>CFBundleVersion</key><string>")
        + version.toHtmlEscaped().toUtf8() + QByteArrayLiteral("</string></dict>"));
}

QByteArray PlistBytes::binaryFromXml(const QByteArray& xml)
{
    plist_t root = nullptr;
    plist_from_xml(xml.constData(), static_cast<uint32_t>(xml.size()), &root);
    if (!root)
        throw std::runtime_error("test plist is not XML");
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(root, &bytes, &length);
    plist_free(root);
    QByteArray binary(bytes, static_cast<qsizetype>(length));
    plist_to_bin_free(bytes);
    return binary;
}

} // namespace navora::test
