#pragma once

#include "alerts/AlertEntry.h"

#include <QString>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace navora {

// The alert table: alert key to entry, in the order of the property list
// (XML or binary). Read-only once loaded, so any thread may read it. A file
// that is missing, unreadable, too large or not a dictionary of
// dictionaries gives an empty table; the caller decides whether to say so.
class AlertTable {
public:
    using Entries = std::vector<std::pair<std::string, AlertEntry>>;

    AlertTable() = default;

    // The table compiled into the program.
    static QString defaultPath() { return QStringLiteral(":/navora/Alerts.plist"); }
    // path may name a file or a Qt resource (":/...").
    static AlertTable fromFile(const QString& path);
    static AlertTable fromData(std::string_view data);

    // The entry for key, or nullptr.
    const AlertEntry* entry(std::string_view key) const;
    const Entries& entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.empty(); }
    // Every distinct notification name, each once, in table order.
    std::vector<std::string> notificationNames() const;

    // Larger files are not tables of ours; refusing them bounds what a
    // damaged resource can cost.
    static constexpr qint64 maximumFileSize = 1024 * 1024;

private:
    Entries m_entries;
};

} // namespace navora
