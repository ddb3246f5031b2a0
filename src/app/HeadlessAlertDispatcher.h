#pragma once

#include "core/AlertDispatcher.h"

#include <memory>

namespace navora {

class JsonLinesDisplay;

// The headless mode's alerts: each goes out as a line of the JSON output and
// then to the real dispatcher (desktop notification, speech).
class HeadlessAlertDispatcher : public AlertDispatcher {
public:
    HeadlessAlertDispatcher(std::shared_ptr<JsonLinesDisplay> output, std::shared_ptr<AlertDispatcher> dispatcher);

    void alertAllForKey(const std::string& key) override;
    void alertAllForKey(const std::string& key, const std::string& description, const std::string& speech) override;
    void approachingBeep() override;
    int sayWhat() const override;

private:
    const std::shared_ptr<JsonLinesDisplay> m_output;
    const std::shared_ptr<AlertDispatcher> m_dispatcher;
};

} // namespace navora
