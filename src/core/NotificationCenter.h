#pragma once

#include "core/NotificationObject.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

// Synchronous, name-keyed publish/subscribe between controllers and
// documents. post() runs every handler registered for the name on the
// posting thread before it returns, in the order of registration.
//
// Registration, removal and posting are safe from any thread. Handlers run
// outside the centre's lock, so a handler may post (also its own name), add
// observers and remove observers, itself included. Once removeObserver
// returns, that observer's handlers are not called again and none is still
// running on another thread, so the observer may be destroyed right away.
// The one exception is a handler that removes its own observer: it goes on
// to its end, on its own thread. Two handlers on two threads that each wait
// in removeObserver for the other's observer would wait forever: do not
// remove an observer from a handler while that observer may be busy on
// another thread in a handler that removes yours.
class NotificationCenter {
public:
    using Handler = std::function<void(const NotificationObject& object)>;

    NotificationCenter() = default;
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // The application's centre. Classes take a NotificationCenter& so tests
    // can give each case a centre of its own.
    static NotificationCenter& defaultCenter();

    // Calls handler for every later post of name. observer identifies the
    // registration for removeObserver (usually `this`); it is never
    // dereferenced. Registering twice means being called twice.
    void addObserver(const void* observer, std::string_view name, Handler handler);
    // Removes every registration of observer, for all names.
    void removeObserver(const void* observer);
    void post(std::string_view name, const NotificationObject& object = {});

    // Registrations for name, for tests and diagnostics.
    size_t observerCount(std::string_view name) const;

private:
    struct Registration;
    using RegistrationList = std::vector<std::shared_ptr<Registration>>;

    RegistrationList registrationsFor(std::string_view name) const;
    RegistrationList takeRegistrationsOf(const void* observer);
    static void deliver(Registration& registration, const NotificationObject& object);
    static void deactivate(Registration& registration);

    mutable std::mutex m_mutex;
    std::map<std::string, RegistrationList, std::less<>> m_registrations;
};

} // namespace navora
