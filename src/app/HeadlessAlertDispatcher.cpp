#include "app/HeadlessAlertDispatcher.h"

#include "gps/JsonLinesDisplay.h"

namespace navora {

HeadlessAlertDispatcher::HeadlessAlertDispatcher(
    std::shared_ptr<JsonLinesDisplay> output, std::shared_ptr<AlertDispatcher> dispatcher)
    : m_output(std::move(output))
    , m_dispatcher(std::move(dispatcher))
{
}

void HeadlessAlertDispatcher::alertAllForKey(const std::string& key)
{
    m_output->writeAlert(key);
    m_dispatcher->alertAllForKey(key);
}

void HeadlessAlertDispatcher::alertAllForKey(
    const std::string& key, const std::string& description, const std::string& speech)
{
    m_output->writeAlert(key, description, speech);
    m_dispatcher->alertAllForKey(key, description, speech);
}

void HeadlessAlertDispatcher::approachingBeep()
{
    m_dispatcher->approachingBeep();
}

int HeadlessAlertDispatcher::sayWhat() const
{
    return m_dispatcher->sayWhat();
}

} // namespace navora
