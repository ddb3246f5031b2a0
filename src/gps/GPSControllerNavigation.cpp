// The navigation engine's entry points. Until a waypoint can be activated
// there is nothing to navigate to: a pass does nothing, and activation
// notifications change nothing.
#include "GPSController.h"

namespace navora {

void GPSController::updateNavData()
{
}

void GPSController::activateRoute(const RoutePtr&, int)
{
}

void GPSController::handleWaypointActivated(const NotificationObject&)
{
}

void GPSController::handleRouteActivated(const NotificationObject&)
{
}

void GPSController::handleChangeMNFloat(const NotificationObject&)
{
}

} // namespace navora
