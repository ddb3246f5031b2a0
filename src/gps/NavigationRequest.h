#pragma once

#include "model/Route.h"

#include <functional>
#include <optional>
#include <string>

namespace navora {

class GPSController;
class NotificationCenter;

// What to navigate from the command line: a route file (.nvr) joined at its
// nearest leg or headed for the waypoint at an index (as direct-to does), or
// a waypoint of a list file (.nvw) by name. It is made active once a
// position is known, or at once when one already is.
class NavigationRequest {
public:
    struct Target {
        std::string path;
        std::optional<int> index;
        bool join = false;
        std::optional<std::string> waypoint;
    };

    // Reads the file and checks the choice against it; nullopt after a log
    // line saying why it cannot be followed.
    static std::optional<NavigationRequest> load(const Target& target);

    // Navigates an open document's own objects in place of the file's
    // copies (its route, or the waypoint of the same name in its list), so
    // the document shows and locks what is navigated. False, changing
    // nothing, when they do not match what was loaded.
    bool adopt(const RoutePtr& route, const WaypointList& waypoints);

    // Runs work on the thread that owns the navigated objects.
    using OwnerThread = std::function<void(std::function<void()>)>;

    // Activates now if the controller holds a position, otherwise at the
    // first "TRVcpUpdated" that brings one. That comes on the GPS thread: an
    // adopted document's route is activated on its own thread through
    // onOwner (at once, on the thread that posts, when none is given). Call
    // stop before the centre or the controller goes.
    void start(GPSController& controller, NotificationCenter& center, OwnerThread onOwner = {});
    void stop(NotificationCenter& center);

    const RoutePtr& route() const { return m_route; }
    const WaypointPtr& waypoint() const { return m_waypoint; }

private:
    void activate(NotificationCenter& center) const;

    RoutePtr m_route;
    // The waypoint navigated to directly: from a list, or the route's at the index.
    WaypointPtr m_waypoint;
    bool m_join = false;
    int m_index = 0;
};

} // namespace navora
