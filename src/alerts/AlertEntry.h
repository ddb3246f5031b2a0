#pragma once

#include <optional>
#include <string>

namespace navora {

// One row of the alert table. A field that the table lacks, or holds with
// the wrong property-list type, is absent.
struct AlertEntry {
    std::optional<std::string> title; // "AlertTitle"
    std::optional<std::string> description; // "AlertDescription"
    std::optional<std::string> notificationName; // "AlertNotificationName"
    std::optional<bool> sticky; // "AlertSticky"
    std::optional<int> priority; // "AlertPriority"
    std::optional<std::string> speech; // "AlertSpeech"

    friend bool operator==(const AlertEntry&, const AlertEntry&) = default;
};

} // namespace navora
