#include "app/AlertLogger.h"

#include "core/Log.h"

namespace navora {

AlertLogger::AlertLogger(std::shared_ptr<AlertDispatcher> dispatcher)
    : m_dispatcher(std::move(dispatcher))
{
}

void AlertLogger::alertAllForKey(const std::string& key)
{
    Log::line("Alert: " + key);
    m_dispatcher->alertAllForKey(key);
}

void AlertLogger::alertAllForKey(const std::string& key, const std::string& description, const std::string& speech)
{
    Log::line("Alert: " + key);
    m_dispatcher->alertAllForKey(key, description, speech);
}

void AlertLogger::approachingBeep()
{
    m_dispatcher->approachingBeep();
}

int AlertLogger::sayWhat() const
{
    return m_dispatcher->sayWhat();
}

} // namespace navora
