#pragma once

#include "model/Route.h"
#include "model/Waypoint.h"

#include <string>
#include <string_view>

namespace navora {

// A document as the KML and GPX imports and exports see it. The waypoint-list
// and route documents implement it; so do the headless documents of the
// command-line conversion (MemoryWaypointDocument, MemoryRouteDocument).
class ExchangeDocument {
public:
    virtual ~ExchangeDocument() = default;

    // The document type's name (kWaypointsDocumentType or kRouteDocumentType).
    virtual std::string_view typeName() const = 0;
    // The title its window shows.
    virtual std::string displayName() const = 0;

    // Appends one waypoint, unsorted.
    virtual void addWP(WaypointPtr waypoint) = 0;
    // Completes an import: redisplays and marks the document edited; a
    // waypoint list also sorts itself by name and removes same-named entries.
    virtual void refresh() = 0;

    // A route document's route; empty for any other document.
    virtual RoutePtr route() const = 0;
    // A waypoint-list document's waypoints, in list order; a route document
    // gives its route's waypoints.
    virtual const WaypointList& waypointList() const = 0;
};

} // namespace navora
