#pragma once

#include "alerts/AlertTable.h"
#include "core/AlertDispatcher.h"

#include <memory>

namespace navora {

class AlertLine;

// Hands every alert to the program's dispatcher (notification, speech) and
// its text to the windows' alert line: the caller's text, or else the alert
// table's description (its title when it has none). Any thread, as the
// dispatcher it wraps.
class AlertLineDispatcher : public AlertDispatcher {
public:
    // dispatcher may be empty (no notifications or speech); the line outlives
    // this dispatcher's callers.
    AlertLineDispatcher(std::shared_ptr<AlertDispatcher> dispatcher, AlertLine& line, AlertTable table);

    void alertAllForKey(const std::string& key) override;
    void alertAllForKey(const std::string& key, const std::string& description, const std::string& speech) override;
    void approachingBeep() override;
    int sayWhat() const override;

private:
    const std::shared_ptr<AlertDispatcher> m_dispatcher;
    AlertLine& m_line;
    const AlertTable m_table;
};

} // namespace navora
