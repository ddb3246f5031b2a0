#include "core/NotificationCenter.h"

#include "core/Log.h"

#include <algorithm>
#include <condition_variable>
#include <thread>

namespace navora {

// One observer's handler for one name. Calls in progress are counted by
// thread, so removal can wait for the calls running on other threads while
// a handler that removes its own observer does not wait for itself.
struct NotificationCenter::Registration {
    Registration(const void* anObserver, Handler aHandler)
        : observer(anObserver)
        , handler(std::move(aHandler))
    {
    }

    const void* const observer;
    const Handler handler;

    std::mutex mutex;
    std::condition_variable callFinished;
    bool active = true;
    std::vector<std::thread::id> callers; // one entry per call in progress
};

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(const void* observer, std::string_view name, Handler handler)
{
    if (!handler) {
        Log::line("Observer of " + std::string(name) + " registered without a handler; ignored");
        return;
    }
    auto registration = std::make_shared<Registration>(observer, std::move(handler));
    std::lock_guard lock(m_mutex);
    auto found = m_registrations.find(name);
    if (found == m_registrations.end())
        found = m_registrations.emplace(std::string(name), RegistrationList()).first;
    found->second.push_back(std::move(registration));
}

void NotificationCenter::removeObserver(const void* observer)
{
    for (const auto& registration : takeRegistrationsOf(observer))
        deactivate(*registration);
}

void NotificationCenter::post(std::string_view name, const NotificationObject& object)
{
    for (const auto& registration : registrationsFor(name))
        deliver(*registration, object);
}

size_t NotificationCenter::observerCount(std::string_view name) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_registrations.find(name);
    return found == m_registrations.end() ? 0 : found->second.size();
}

NotificationCenter::RegistrationList NotificationCenter::registrationsFor(std::string_view name) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_registrations.find(name);
    return found == m_registrations.end() ? RegistrationList() : found->second;
}

NotificationCenter::RegistrationList NotificationCenter::takeRegistrationsOf(const void* observer)
{
    RegistrationList taken;
    std::lock_guard lock(m_mutex);
    for (auto entry = m_registrations.begin(); entry != m_registrations.end();) {
        RegistrationList& list = entry->second;
        const auto kept = std::stable_partition(list.begin(), list.end(),
            [observer](const auto& registration) { return registration->observer != observer; });
        std::move(kept, list.end(), std::back_inserter(taken));
        list.erase(kept, list.end());
        entry = list.empty() ? m_registrations.erase(entry) : std::next(entry);
    }
    return taken;
}

void NotificationCenter::deliver(Registration& registration, const NotificationObject& object)
{
    const std::thread::id self = std::this_thread::get_id();
    {
        std::lock_guard lock(registration.mutex);
        // Removed since the post took its copy of the list: not called.
        if (!registration.active)
            return;
        registration.callers.push_back(self);
    }
    registration.handler(object);
    {
        std::lock_guard lock(registration.mutex);
        registration.callers.erase(std::find(registration.callers.begin(), registration.callers.end(), self));
    }
    registration.callFinished.notify_all();
}

void NotificationCenter::deactivate(Registration& registration)
{
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock lock(registration.mutex);
    registration.active = false;
    registration.callFinished.wait(lock, [&registration, self] {
        return std::all_of(registration.callers.begin(), registration.callers.end(),
            [self](std::thread::id caller) { return caller == self; });
    });
}

} // namespace navora
