#pragma once

#include "core/ControlState.h"

#include <memory>
#include <optional>
#include <typeinfo>
#include <variant>

namespace navora {

class Route;
class Waypoint;
using RoutePtr = std::shared_ptr<Route>;
using WaypointPtr = std::shared_ptr<Waypoint>;

// The one object that travels with a notification: nothing, a waypoint, a
// route, a number, the state of the sending control, or the object that sent
// it. The accessors give an empty value when the object holds another kind,
// so a handler just asks for what it expects.
//
// A sender is held by its address and the exact type it was given as, so this
// foundation class needs to know nothing of the classes that send: a handler
// asks `object.sender<Document>()` and gets the sender only when it was posted
// as a Document.
class NotificationObject {
public:
    struct Sender {
        void* address = nullptr;
        const std::type_info* type = nullptr;
        bool operator==(const Sender&) const = default;
    };
    using Value = std::variant<std::monostate, WaypointPtr, RoutePtr, double, Sender, ControlState>;

    NotificationObject() = default;
    NotificationObject(WaypointPtr waypoint);
    NotificationObject(RoutePtr route);
    NotificationObject(double number);
    NotificationObject(ControlState controlState);

    template <typename T> static NotificationObject sentBy(T* object)
    {
        NotificationObject notification;
        notification.m_value = Sender{object, &typeid(T)};
        return notification;
    }

    bool isNone() const { return std::holds_alternative<std::monostate>(m_value); }
    WaypointPtr waypoint() const;
    RoutePtr route() const;
    std::optional<double> number() const;
    std::optional<ControlState> controlState() const;

    template <typename T> T* sender() const
    {
        const Sender* held = std::get_if<Sender>(&m_value);
        if (held == nullptr || held->type == nullptr || *held->type != typeid(T))
            return nullptr;
        return static_cast<T*>(held->address);
    }

    const Value& value() const { return m_value; }

private:
    Value m_value;
};

} // namespace navora
