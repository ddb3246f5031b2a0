#include "io/GpxPointReader.h"

#include "io/XmlFileReader.h"

#include "model/NumberText.h"
#include "model/Waypoint.h"

#include <algorithm>

namespace navora {

void GpxPointReader::reset()
{
    m_routes.clear();
    m_tracks.clear();
    m_waypoints.clear();
    m_waypointsHandedOver = 0;
    m_open.clear();
    m_textTarget = nullptr;
    m_numberTarget = nullptr;
}

bool GpxPointReader::elementStarted(const XmlElement& element)
{
    if (element.is("wpt")) {
        m_waypoints.push_back(readAttributes(element));
        m_open.push_back({&element, Kind::Waypoint, 0, m_waypoints.size() - 1});
        return false;
    }
    if (element.is("rte")) {
        m_routes.emplace_back();
        m_open.push_back({&element, Kind::Route, m_routes.size() - 1, 0});
        return false;
    }
    if (element.is("trk")) {
        m_tracks.emplace_back();
        m_open.push_back({&element, Kind::Track, m_tracks.size() - 1, 0});
        return false;
    }
    if (m_open.empty() || element.parent() != m_open.back().element)
        return false;
    const OpenElement& parent = m_open.back();
    if (parent.kind == Kind::TrackSegment) {
        if (element.is("trkpt")) {
            auto& points = m_tracks[parent.route].points;
            points.push_back(readAttributes(element));
            m_open.push_back({&element, Kind::TrackPoint, parent.route, points.size() - 1});
        }
        return false;
    }
    if (parent.kind == Kind::Route || parent.kind == Kind::Track) {
        const bool route = parent.kind == Kind::Route;
        if (element.is(route ? "rtept" : "trkseg")) {
            auto& points = route ? m_routes[parent.route].points : m_tracks[parent.route].points;
            if (route)
                points.push_back(readAttributes(element));
            m_open.push_back({&element, route ? Kind::RoutePoint : Kind::TrackSegment, parent.route,
                points.empty() ? 0 : points.size() - 1});
            return false;
        }
        std::optional<std::string>& name = route ? m_routes[parent.route].name : m_tracks[parent.route].name;
        if (element.is("name") && !name) {
            m_textTarget = &name;
            return true;
        }
        return false;
    }
    // Only the first of each child counts.
    Point* point = pointOf(parent);
    if (element.is("name"))
        m_textTarget = point->name ? nullptr : &point->name;
    else if (element.is("cmt"))
        m_textTarget = point->comment ? nullptr : &point->comment;
    else if (element.is("time"))
        m_textTarget = point->time ? nullptr : &point->time;
    else if (element.is("ele"))
        m_numberTarget = point->elevation ? nullptr : &point->elevation;
    return m_textTarget != nullptr || m_numberTarget != nullptr;
}

void GpxPointReader::elementEnded(const XmlElement& element, std::string_view value)
{
    if (m_textTarget != nullptr) {
        *m_textTarget = std::string(value);
        m_textTarget = nullptr;
        return;
    }
    if (m_numberTarget != nullptr) {
        *m_numberTarget = NumberText::readFloat(value);
        m_numberTarget = nullptr;
        return;
    }
    if (m_open.empty() || m_open.back().element != &element)
        return;
    const bool waypointEnded = m_open.back().kind == Kind::Waypoint;
    m_open.pop_back();
    // Once no waypoint is open (one may hold another), in document order.
    if (waypointEnded && m_waypointTaker && std::none_of(m_open.begin(), m_open.end(), [](const OpenElement& open) {
            return open.kind == Kind::Waypoint;
        }))
        handOverWaypoints();
}

void GpxPointReader::handOverWaypoints()
{
    for (Point& point : m_waypoints)
        m_waypointTaker(std::move(point), m_waypointsHandedOver++);
    m_waypoints.clear();
}

GpxPointReader::Point* GpxPointReader::pointOf(const OpenElement& open)
{
    if (open.kind == Kind::Waypoint)
        return &m_waypoints[open.index];
    if (open.kind == Kind::TrackPoint)
        return &m_tracks[open.route].points[open.index];
    return &m_routes[open.route].points[open.index];
}

GpxPointReader::Point GpxPointReader::readAttributes(const XmlElement& element)
{
    Point point;
    point.latitudeText = element.attribute("lat", XmlFileReader::kMaxCapturedBytes).value_or("");
    point.longitudeText = element.attribute("lon", XmlFileReader::kMaxCapturedBytes).value_or("");
    const std::optional<double> latitude = NumberText::readExactly(point.latitudeText);
    const std::optional<double> longitude = NumberText::readExactly(point.longitudeText);
    if (latitude && Waypoint::validLatitude(*latitude))
        point.latitude = static_cast<float>(*latitude);
    if (longitude && Waypoint::validLongitude(*longitude))
        point.longitude = static_cast<float>(*longitude);
    return point;
}

} // namespace navora
