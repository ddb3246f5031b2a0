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
// unitsCode gives the code of the unit system the user chose (the "Units"
// setting), on the UI thread; without it distances are in nautical miles.
struct DocumentServices {
    using CurrentPosResolver = std::function<WaypointPtr(const NotificationObject& object)>;
    using UnitsResolver = std::function<char()>;

    NotificationCenter& center;
    DocumentHost& host;
    CurrentPosResolver currentPosOf;
    UnitsResolver unitsCode;
};

} // namespace navora
