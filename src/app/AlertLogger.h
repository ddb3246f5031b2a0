#pragma once

#include "core/AlertDispatcher.h"

#include <memory>

namespace navora {

// The desktop program's alerts: each key raised is written to the log as
// "Alert: KEY" (the dispatcher itself logs nothing when it notifies or
// speaks), then handed to the real dispatcher. Scripts and tests follow the
// program's alerts on its standard error.
class AlertLogger : public AlertDispatcher {
public:
    explicit AlertLogger(std::shared_ptr<AlertDispatcher> dispatcher);

    void alertAllForKey(const std::string& key) override;
    void alertAllForKey(const std::string& key, const std::string& description, const std::string& speech) override;
    void approachingBeep() override;
    int sayWhat() const override;

private:
    const std::shared_ptr<AlertDispatcher> m_dispatcher;
};

} // namespace navora
