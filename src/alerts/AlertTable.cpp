#include "alerts/AlertTable.h"

#include "core/BinaryPlistCheck.h"

#include <QFile>

#include <plist/plist.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>

namespace navora {

namespace {

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<std::remove_pointer_t<plist_t>, PlistDeleter>;

struct FreeDeleter {
    void operator()(void* memory) const { std::free(memory); }
};

std::optional<std::string> stringField(plist_t dict, const char* name)
{
    plist_t node = plist_dict_get_item(dict, name);
    if (!node || plist_get_node_type(node) != PLIST_STRING)
        return std::nullopt;
    uint64_t length = 0;
    const char* text = plist_get_string_ptr(node, &length);
    if (!text)
        return std::nullopt;
    return std::string(text, static_cast<size_t>(length));
}

std::optional<bool> boolField(plist_t dict, const char* name)
{
    plist_t node = plist_dict_get_item(dict, name);
    if (!node || plist_get_node_type(node) != PLIST_BOOLEAN)
        return std::nullopt;
    uint8_t value = 0;
    plist_get_bool_val(node, &value);
    return value != 0;
}

// Property-list integers are signed 64-bit; this library keeps them as the
// unsigned bit pattern. Values beyond int are clamped, not wrapped.
std::optional<int> intField(plist_t dict, const char* name)
{
    plist_t node = plist_dict_get_item(dict, name);
    if (!node || plist_get_node_type(node) != PLIST_UINT)
        return std::nullopt;
    uint64_t bits = 0;
    plist_get_uint_val(node, &bits);
    const auto value = static_cast<int64_t>(bits);
    return static_cast<int>(
        std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

AlertEntry entryFrom(plist_t dict)
{
    AlertEntry entry;
    entry.title = stringField(dict, "AlertTitle");
    entry.description = stringField(dict, "AlertDescription");
    entry.notificationName = stringField(dict, "AlertNotificationName");
    entry.sticky = boolField(dict, "AlertSticky");
    entry.priority = intField(dict, "AlertPriority");
    entry.speech = stringField(dict, "AlertSpeech");
    return entry;
}

} // namespace

AlertTable AlertTable::fromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maximumFileSize)
        return {};
    const QByteArray data = file.read(maximumFileSize + 1);
    if (data.size() > maximumFileSize)
        return {};
    return fromData(std::string_view(data.constData(), static_cast<size_t>(data.size())));
}

AlertTable AlertTable::fromData(std::string_view data)
{
    if (data.empty() || data.size() > static_cast<size_t>(maximumFileSize))
        return {};
    // A binary list is walked with limits first: a few hundred hostile bytes
    // could otherwise keep the library busy without end.
    if (plist_is_binary(data.data(), static_cast<uint32_t>(data.size()))
        && BinaryPlistCheck::problem(QByteArray::fromRawData(data.data(), static_cast<qsizetype>(data.size()))))
        return {};
    plist_t parsed = nullptr;
    plist_from_memory(data.data(), static_cast<uint32_t>(data.size()), &parsed);
    const PlistPtr root(parsed);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT)
        return {};

    AlertTable table;
    plist_dict_iter rawIter = nullptr;
    plist_dict_new_iter(root.get(), &rawIter);
    const std::unique_ptr<void, FreeDeleter> iter(rawIter);
    for (;;) {
        char* rawKey = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(root.get(), rawIter, &rawKey, &value);
        const std::unique_ptr<char, FreeDeleter> key(rawKey);
        if (!value)
            break;
        // An entry that is not a dictionary is no entry at all.
        if (!key || plist_get_node_type(value) != PLIST_DICT)
            continue;
        AlertEntry entry = entryFrom(value);
        auto existing = std::find_if(
            table.m_entries.begin(), table.m_entries.end(), [&](const auto& row) { return row.first == key.get(); });
        if (existing != table.m_entries.end())
            existing->second = std::move(entry);
        else
            table.m_entries.emplace_back(key.get(), std::move(entry));
    }
    return table;
}

const AlertEntry* AlertTable::entry(std::string_view key) const
{
    auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const auto& row) { return row.first == key; });
    return found == m_entries.end() ? nullptr : &found->second;
}

std::vector<std::string> AlertTable::notificationNames() const
{
    std::vector<std::string> names;
    for (const auto& [key, entry] : m_entries) {
        if (!entry.notificationName)
            continue;
        if (std::find(names.begin(), names.end(), *entry.notificationName) == names.end())
            names.push_back(*entry.notificationName);
    }
    return names;
}

} // namespace navora
