#include "core/NotificationObject.h"

namespace navora {

namespace {

template <typename T> T valueOr(const NotificationObject::Value& value, T empty)
{
    if (const T* held = std::get_if<T>(&value))
        return *held;
    return empty;
}

} // namespace

NotificationObject::NotificationObject(WaypointPtr waypoint)
    : m_value(std::move(waypoint))
{
}

NotificationObject::NotificationObject(RoutePtr route)
    : m_value(std::move(route))
{
}

NotificationObject::NotificationObject(double number)
    : m_value(number)
{
}

NotificationObject::NotificationObject(ControlState controlState)
    : m_value(std::move(controlState))
{
}

WaypointPtr NotificationObject::waypoint() const
{
    return valueOr<WaypointPtr>(m_value, nullptr);
}

RoutePtr NotificationObject::route() const
{
    return valueOr<RoutePtr>(m_value, nullptr);
}

std::optional<double> NotificationObject::number() const
{
    if (const double* held = std::get_if<double>(&m_value))
        return *held;
    return std::nullopt;
}

std::optional<ControlState> NotificationObject::controlState() const
{
    if (const ControlState* held = std::get_if<ControlState>(&m_value))
        return *held;
    return std::nullopt;
}

} // namespace navora
