#pragma once

#include "core/NotificationObject.h"
#include "model/Waypoint.h"

#include <functional>

namespace navora {

class DocumentHost;
class NotificationCenter;

// What a document works with. The current position comes with
// "TRVcpUpdated" as its object, the GPS controller; currentPosOf asks that
// object for its "PPOS" waypoint (empty when it holds none). It runs on the
// posting thread, possibly the GPS thread, while the object is valid.
struct DocumentServices {
    using CurrentPosResolver = std::function<WaypointPtr(const NotificationObject& object)>;

    NotificationCenter& center;
    DocumentHost& host;
    CurrentPosResolver currentPosOf;
    // The "Units" setting when the document opens; "TRVUnitsChanged" tells
    // of a new choice.
    char unitsCode = 'n';
};

} // namespace navora
