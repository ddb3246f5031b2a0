#include "gps/windows/AlertLineDispatcher.h"

#include "gps/windows/AlertLine.h"

namespace navora {

AlertLineDispatcher::AlertLineDispatcher(std::shared_ptr<AlertDispatcher> dispatcher, AlertLine& line, AlertTable table)
    : m_dispatcher(std::move(dispatcher))
    , m_line(line)
    , m_table(std::move(table))
{
}

void AlertLineDispatcher::alertAllForKey(const std::string& key)
{
    const AlertEntry* entry = m_table.entry(key);
    if (entry)
        m_line.post(entry->description.value_or(entry->title.value_or("")));
    if (m_dispatcher)
        m_dispatcher->alertAllForKey(key);
}

void AlertLineDispatcher::alertAllForKey(
    const std::string& key, const std::string& description, const std::string& speech)
{
    if (!description.empty()) {
        m_line.post(description);
    } else if (const AlertEntry* entry = m_table.entry(key)) {
        m_line.post(entry->title.value_or(""));
    }
    if (m_dispatcher)
        m_dispatcher->alertAllForKey(key, description, speech);
}

void AlertLineDispatcher::approachingBeep()
{
    if (m_dispatcher)
        m_dispatcher->approachingBeep();
}

int AlertLineDispatcher::sayWhat() const
{
    return m_dispatcher ? m_dispatcher->sayWhat() : 0;
}

} // namespace navora
