#pragma once

#include "io/GpxPointReader.h"
#include "model/Waypoint.h"

#include <deque>
#include <string>
#include <vector>

namespace navora {

class ExchangeDocument;

// The free waypoints of a GPX file made as the file streams past
// (GpxPointReader::takeWaypointsWith), so that the file's points are never
// all held besides them. An unnamed one is called "WPT001", ... after its
// place in the file; one without a usable position is left out, and the log
// line saying so is kept until the waypoints are added, where it belonged.
class GpxFreeWaypoints {
public:
    void take(GpxPointReader::Point&& point, size_t index);
    bool empty() const { return m_made.empty(); }
    // Adds them to document in the file's order, logging those left out;
    // returns how many were added.
    size_t addTo(ExchangeDocument& document);

private:
    // In the file's order; null where a point was left out. A deque: the
    // waypoints leave it for the document a block at a time, so the two
    // lists are never both whole.
    std::deque<WaypointPtr> m_made;
    std::vector<std::string> m_leftOut;
};

} // namespace navora
