#pragma once

namespace navora {

class Waypoint;

// The geometry the sequencing decisions need beyond distance and bearing:
// where a position lies along a leg, how far it is from a leg's segment,
// and on which side of a turn it is. On a sphere of one arc minute per
// nautical mile, in double precision; good to a fraction of a percent,
// which is all a decision between "before" and "after" a mark needs.
class LegGeometry {
public:
    // Two positions closer than this (nautical miles, about 2 metres) are
    // one place: a leg between them has no length and no direction.
    static constexpr double samePlaceNm = 0.001;

    // True when both positions are known and no more than samePlaceNm apart.
    static bool samePlace(const Waypoint& a, const Waypoint& b);
    // True when the waypoint's latitude and longitude are both known.
    static bool knownPosition(const Waypoint& w);

    // Nautical miles from start along the great circle towards end to the
    // foot of the position on it; negative before start.
    static double alongTrackNm(const Waypoint& position, const Waypoint& start, const Waypoint& end);
    // Nautical miles from the position to the nearest point of the segment
    // from start to end (its perpendicular foot, or the nearer end).
    static double segmentDistanceNm(const Waypoint& position, const Waypoint& start, const Waypoint& end);
    // True when the position lies on the far side of the turn at mark from
    // the leg that comes from previous to mark towards the one that goes on
    // to next: across the line through mark that halves the angle between
    // the two legs. On a straight route that line is the perpendicular at
    // the mark; on a hairpin it runs between the two legs.
    static bool beyondTurn(
        const Waypoint& position, const Waypoint& previous, const Waypoint& mark, const Waypoint& next);
};

} // namespace navora
