#pragma once

#include <QVariant>

#include <string>
#include <string_view>
#include <vector>

namespace navora {

// Where the user's settings live. Implementations are safe to use from
// several threads at once: the GPS thread reads settings too.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored value, or an invalid QVariant when the key holds nothing.
    virtual QVariant value(std::string_view key) const = 0;
    virtual void setValue(std::string_view key, const QVariant& value) = 0;
    virtual bool contains(std::string_view key) const = 0;
    // Every key that holds a value, in no particular order.
    virtual std::vector<std::string> keys() const = 0;

protected:
    // A copy that shares no data with value. Qt's implicit sharing is
    // thread-safe, but its reference counts live in the uninstrumented Qt
    // library, so ThreadSanitizer cannot see that a string freed by a writer
    // is no longer used by a reader. Values handed across threads are
    // therefore copied in full (texts and lists; other types hold no shared
    // data worth the trouble).
    static QVariant detached(const QVariant& value);
};

} // namespace navora
