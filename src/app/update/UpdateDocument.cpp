#include "app/update/UpdateDocument.h"

#include "core/BinaryPlistCheck.h"

#include <plist/plist.h>

#include <cstdint>
#include <limits>
#include <memory>

namespace navora {

namespace {

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<std::remove_pointer_t<plist_t>, PlistDeleter>;

// Binary lists carry a magic header; everything else is tried as XML. Kept to
// these two encodings so the answer does not depend on the library's version.
// A binary list has passed BinaryPlistCheck before it comes here.
PlistPtr parsePlist(const QByteArray& bytes)
{
    const auto length = static_cast<uint32_t>(bytes.size());
    plist_t root = nullptr;
    if (plist_is_binary(bytes.constData(), length))
        plist_from_bin(bytes.constData(), length, &root);
    else
        plist_from_xml(bytes.constData(), length, &root);
    return PlistPtr(root);
}

bool hasControlCharacter(const QString& text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

} // namespace

UpdateDocument::UpdateDocument(QString version, QString problem)
    : m_version(std::move(version))
    , m_problem(std::move(problem))
{
}

UpdateDocument UpdateDocument::parse(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return {{}, QStringLiteral("the reply is empty")};
    if (bytes.size() > std::numeric_limits<uint32_t>::max())
        return {{}, QStringLiteral("the reply is too large")};
    if (plist_is_binary(bytes.constData(), static_cast<uint32_t>(bytes.size()))) {
        if (const std::optional<QString> problem = BinaryPlistCheck::problem(bytes))
            return {{}, QStringLiteral("the reply is refused: ") + *problem};
    }
    const PlistPtr root = parsePlist(bytes);
    if (!root)
        return {{}, QStringLiteral("the reply is not a property list")};
    if (plist_get_node_type(root.get()) != PLIST_DICT)
        return {{}, QStringLiteral("the reply's top level is not a dictionary")};
    plist_t node = plist_dict_get_item(root.get(), "CFBundleVersion");
    if (!node)
        return {{}, QStringLiteral("the reply has no \"CFBundleVersion\"")};
    if (plist_get_node_type(node) != PLIST_STRING)
        return {{}, QStringLiteral("the reply's \"CFBundleVersion\" is not a string")};
    uint64_t length = 0;
    const char* text = plist_get_string_ptr(node, &length);
    const QString version = text ? QString::fromUtf8(text, static_cast<qsizetype>(length)) : QString();
    if (version.isEmpty() || version.size() > maxVersionLength || hasControlCharacter(version))
        return {{}, QStringLiteral("the reply's \"CFBundleVersion\" is not a version")};
    return {version, {}};
}

} // namespace navora
