#pragma once

#include "ControlState.h"

#include <Route.h>
#include <Waypoint.h>

#include <memory>
#include <optional>
#include <variant>

namespace navora {

class Document;
class GPSController;

// The one object that travels with a notification: nothing, a waypoint, a
// route, a number, a document, the GPS controller or the state of the
// sending control. The accessors give an empty value when the object holds
// another kind, so a handler just asks for what it expects.
class NotificationObject {
public:
    using Value = std::variant<std::monostate, WaypointPtr, RoutePtr, double, Document*, GPSController*, ControlState>;

    NotificationObject() = default;
    NotificationObject(WaypointPtr waypoint);
    NotificationObject(RoutePtr route);
    NotificationObject(double number);
    NotificationObject(Document* document);
    NotificationObject(GPSController* gpsController);
    NotificationObject(ControlState controlState);

    bool isNone() const { return std::holds_alternative<std::monostate>(m_value); }
    WaypointPtr waypoint() const;
    RoutePtr route() const;
    std::optional<double> number() const;
    Document* document() const;
    GPSController* gpsController() const;
    std::optional<ControlState> controlState() const;

    const Value& value() const { return m_value; }

private:
    Value m_value;
};

} // namespace navora
