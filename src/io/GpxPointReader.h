#pragma once

#include "io/XmlRecordSink.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace navora {

// Collects the routes and free waypoints of a GPX file (1.0 or 1.1, with or
// without a namespace): every "rte" element (//rte) with its name and its
// "rtept" children, every "wpt" element (//wpt), and every track ("trk")
// with its name and the "trkpt" points of all its segments, each in document
// order. Everything else is passed over.
class GpxPointReader : public XmlRecordSink {
public:
    // One "wpt", "rtept" or "trkpt" element: the string values of its first
    // name, cmt and time children, its ele child read as a number (leniently: text that is
    // no number reads as 0), and its lat and lon attributes read strictly:
    // a latitude or longitude that is no number, not finite or out of range
    // is absent, and its text is kept to say why the point is left out.
    struct Point {
        std::optional<std::string> name;
        std::optional<std::string> comment;
        std::optional<std::string> time;
        std::optional<float> elevation;
        std::optional<float> latitude;
        std::optional<float> longitude;
        // The lat and lon attributes as written ("" when missing).
        std::string latitudeText;
        std::string longitudeText;

        bool hasPosition() const { return latitude && longitude; }
    };
    struct RouteElement {
        std::optional<std::string> name;
        std::vector<Point> points;
    };

    // Hands each free waypoint ("wpt") over as it ends, in document order,
    // instead of keeping it (waypoints() then stays empty), so that a big
    // file's points are never all held at once. index counts the file's
    // free waypoints from 0, and starts again at 0 when the file is read
    // again (the tolerant pass after a strict one that failed).
    using WaypointTaker = std::function<void(Point&& point, size_t index)>;
    void takeWaypointsWith(WaypointTaker taker) { m_waypointTaker = std::move(taker); }

    void reset() override;
    bool elementStarted(const XmlElement& element) override;
    void elementEnded(const XmlElement& element, std::string_view value) override;

    const std::vector<RouteElement>& routes() const { return m_routes; }
    const std::deque<Point>& waypoints() const { return m_waypoints; }
    const std::vector<RouteElement>& tracks() const { return m_tracks; }

private:
    enum class Kind { Waypoint, Route, RoutePoint, Track, TrackSegment, TrackPoint };
    // An open wpt, rte or rtept element.
    struct OpenElement {
        const XmlElement* element;
        Kind kind;
        size_t route;
        size_t index;
    };

    Point* pointOf(const OpenElement& open);
    void handOverWaypoints();
    static Point readAttributes(const XmlElement& element);

    std::vector<RouteElement> m_routes;
    std::vector<RouteElement> m_tracks;
    // A deque: a file of many waypoints never moves those already read.
    std::deque<Point> m_waypoints;
    WaypointTaker m_waypointTaker;
    size_t m_waypointsHandedOver = 0;
    std::vector<OpenElement> m_open;
    // Where the value of the captured element goes: a text or a number.
    std::optional<std::string>* m_textTarget = nullptr;
    std::optional<float>* m_numberTarget = nullptr;
};

} // namespace navora
