#pragma once

#include "io/ExchangeDocument.h"

#include <string>

namespace navora {

// A waypoint list without a window: what the command-line conversion and the
// tests import into and export from. Its refresh does what the waypoint-list
// document's does after an import, minus the redisplay.
class MemoryWaypointDocument : public ExchangeDocument {
public:
    explicit MemoryWaypointDocument(std::string displayName = "Untitled", WaypointList waypointList = {});

    std::string_view typeName() const override;
    std::string displayName() const override { return m_displayName; }
    void addWP(WaypointPtr waypoint) override;
    // Sorts by name, removes same-named entries, logs how many, marks edited.
    void refresh() override;
    RoutePtr route() const override { return {}; }
    const WaypointList& waypointList() const override { return m_waypointList; }

    // Edits since creation (each refresh counts one).
    int changeCount() const { return m_changeCount; }

private:
    std::string m_displayName;
    WaypointList m_waypointList;
    int m_changeCount = 0;
};

} // namespace navora
