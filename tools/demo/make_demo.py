#!/usr/bin/env python3
"""Writes Navora's demo drive: a motorboat round on Lake Constance off Lindau.

The drive is made up here, from nothing but the waypoints below: no recorded
track or map data goes into it. It writes, into the folder given (default:
demo/ beside this repository's tools/):

  lindau-round.nmea   the receiver's NMEA 0183 output, one report a second
                      (RMC, GGA, GSA and GSV sentences), for gpsfake to replay
  lindau-round.gpx    the route and its waypoints as GPX 1.1

The Navora documents (lindau-round.nvr, lindau-waypoints.nvw) are made from
the GPX by the program itself, with "navora convert":

  navora convert demo/lindau-round.gpx demo/lindau-waypoints.nvw
  navora convert --route "Lindau Round" demo/lindau-round.gpx demo/lindau-round.nvr

The output is the same on every run (fixed start time, seeded noise).

What the drive shows, in order (times in fix seconds; scripts/run.sh plays
three reports a second):
  - no fix while the receiver searches, then a 2D and a 3D fix at the berth;
  - the boat leaving the harbour and running four legs of 0.5 to 0.8 nautical
    miles at 24 knots, drifting off each leg and back (the course-deviation
    indicator swings), a sharp and a gentle turn;
  - an arrival alert before each waypoint, a passage at each turn, and the
    destination reached at the lighthouse, after which the boat slows into
    the harbour and stops.
"""

import argparse
import math
import os
import random
import sys
from datetime import datetime, timedelta, timezone

EARTH_RADIUS_M = 6371000.0
KNOT_MS = 1852.0 / 3600.0

START_TIME = datetime(2024, 7, 13, 8, 30, 0, tzinfo=timezone.utc)
LAKE_ALTITUDE_M = 395.3  # mean level of the Obersee above sea level
GEOID_SEPARATION_M = 47.9

ROUTE_NAME = "Lindau Round"

# (name, comment, latitude, longitude); the route runs through them in order.
WAYPOINTS = [
    ("Harbour Mouth", "Lindau harbour mouth", 47.54190, 9.68450),
    ("West Buoy", "Buoy off Lindau west", 47.53520, 9.67280),
    ("Mid-Lake Mark", "Mark in the Bregenz bay", 47.52640, 9.68620),
    ("Reutin Buoy", "Buoy off Lindau-Reutin", 47.53350, 9.69960),
    ("Lighthouse", "Lindau lighthouse", 47.54120, 9.68560),
]

# Where the boat lies before and after the round, inside the harbour.
BERTH = (47.54262, 9.68438)

CRUISE_KNOTS = 24.0
HARBOUR_KNOTS = 8.0
APPROACH_KNOTS = 8.0

# Metres the boat drifts off each leg at its middle (positive to the right):
# a tenth of a nautical mile or so, enough to move the course-deviation
# indicator on its default scale.
LEG_DRIFT_M = [150.0, -200.0, 180.0, -160.0]

# The sky: (PRN, elevation, azimuth) of the satellites in view.
SATELLITES = [
    (2, 62, 302), (5, 18, 41), (7, 9, 155), (9, 47, 218), (12, 28, 74),
    (13, 71, 123), (15, 36, 265), (18, 12, 339), (20, 54, 18), (25, 23, 190),
    (29, 6, 97), (30, 41, 143),
]
MIN_USED_ELEVATION = 10


# --- geometry on a sphere -------------------------------------------------

def distance_m(a, b):
    lat1, lon1 = map(math.radians, a)
    lat2, lon2 = map(math.radians, b)
    h = (math.sin((lat2 - lat1) / 2) ** 2
         + math.cos(lat1) * math.cos(lat2) * math.sin((lon2 - lon1) / 2) ** 2)
    return 2 * EARTH_RADIUS_M * math.asin(math.sqrt(h))


def bearing(a, b):
    lat1, lon1 = map(math.radians, a)
    lat2, lon2 = map(math.radians, b)
    y = math.sin(lon2 - lon1) * math.cos(lat2)
    x = (math.cos(lat1) * math.sin(lat2)
         - math.sin(lat1) * math.cos(lat2) * math.cos(lon2 - lon1))
    return math.degrees(math.atan2(y, x)) % 360.0


def offset(point, track, metres):
    lat1, lon1 = map(math.radians, point)
    d = metres / EARTH_RADIUS_M
    t = math.radians(track)
    lat2 = math.asin(math.sin(lat1) * math.cos(d) + math.cos(lat1) * math.sin(d) * math.cos(t))
    lon2 = lon1 + math.atan2(math.sin(t) * math.sin(d) * math.cos(lat1),
                             math.cos(d) - math.sin(lat1) * math.sin(lat2))
    return (math.degrees(lat2), math.degrees(lon2))


def turn(inbound, outbound):
    return (outbound - inbound + 180.0) % 360.0 - 180.0


# --- the path --------------------------------------------------------------

class Segment:
    """A stretch from a to b, drifting off the straight line by up to drift
    metres at its middle and back onto it at b."""

    def __init__(self, a, b, drift=0.0):
        self.a, self.b, self.drift = a, b, drift
        self.length = distance_m(a, b)
        self.track = bearing(a, b)

    def at(self, s):
        on_line = offset(self.a, self.track, s)
        side = self.drift * math.sin(math.pi * s / self.length)
        return offset(on_line, self.track + 90.0, side)


class Path:
    """Segments end to end, walked by distance from the start."""

    def __init__(self, segments):
        self.segments = segments
        self.length = sum(s.length for s in segments)
        self.marks = []  # distance from the start at the end of each segment
        total = 0.0
        for s in segments:
            total += s.length
            self.marks.append(total)

    def at(self, distance):
        start = 0.0
        for segment, end in zip(self.segments, self.marks):
            if distance <= end:
                return segment.at(distance - start)
            start = end
        last = self.segments[-1]
        return last.at(last.length)


def speed_at(distance, path, leave_m, slow_from_m, slow_to_m, past_m):
    """Knots at a distance along the path: out of the harbour slowly, cruise,
    slow for the approach to the last waypoint, through it at approach speed,
    then slowing to a stop at the berth."""
    if distance < leave_m:
        return HARBOUR_KNOTS
    if distance < leave_m + 100.0:
        return HARBOUR_KNOTS + (CRUISE_KNOTS - HARBOUR_KNOTS) * (distance - leave_m) / 100.0
    if distance < slow_from_m:
        return CRUISE_KNOTS
    if distance < slow_to_m:
        f = (distance - slow_from_m) / (slow_to_m - slow_from_m)
        return CRUISE_KNOTS + (APPROACH_KNOTS - CRUISE_KNOTS) * f
    if distance < past_m:
        return APPROACH_KNOTS
    remaining = path.length - distance
    return max(1.0, min(APPROACH_KNOTS, APPROACH_KNOTS * remaining / 40.0))


# --- epochs ----------------------------------------------------------------

class Epoch:
    def __init__(self, time, mode, position=None, knots=0.0, track=0.0):
        self.time, self.mode, self.position = time, mode, position
        self.knots, self.track = knots, track


def drive():
    points = [(lat, lon) for _, _, lat, lon in WAYPOINTS]
    out_of_berth = Segment(BERTH, points[0])
    legs = [Segment(points[i], points[i + 1], LEG_DRIFT_M[i]) for i in range(len(points) - 1)]
    # Straight on past the lighthouse, then into the harbour to the berth.
    beyond = offset(points[-1], legs[-1].track, 60.0)
    past = Segment(points[-1], beyond)
    home = Segment(beyond, BERTH)
    path = Path([out_of_berth] + legs + [past, home])

    leave_m = out_of_berth.length
    last_waypoint_m = path.marks[len(legs)]
    speed = lambda d: speed_at(d, path, leave_m, last_waypoint_m - 450.0,
                               last_waypoint_m - 180.0, last_waypoint_m + past.length)

    epochs = []
    time = START_TIME
    for mode, seconds in ((1, 5), (2, 3), (3, 15)):
        for _ in range(seconds):
            epochs.append(Epoch(time, mode, BERTH if mode > 1 else None))
            time += timedelta(seconds=1)

    distance = 0.3  # a little off the berth, so no report lies on a point
    previous = BERTH
    while distance < path.length:
        position = path.at(distance)
        knots = speed(distance)
        epochs.append(Epoch(time, 3, position, knots, bearing(previous, position)))
        previous = position
        distance += knots * KNOT_MS
        time += timedelta(seconds=1)
    for _ in range(10):
        epochs.append(Epoch(time, 3, BERTH, 0.0, epochs[-1].track))
        time += timedelta(seconds=1)
    return epochs, legs


# --- NMEA ------------------------------------------------------------------

def sentence(body):
    checksum = 0
    for c in body.encode("ascii"):
        checksum ^= c
    return "$%s*%02X\r\n" % (body, checksum)


def angle(value, latitude):
    hemisphere = ("N" if value >= 0 else "S") if latitude else ("E" if value >= 0 else "W")
    value = abs(value)
    degrees = int(value)
    minutes = (value - degrees) * 60.0
    if latitude:
        return "%02d%07.4f,%s" % (degrees, minutes, hemisphere)
    return "%03d%07.4f,%s" % (degrees, minutes, hemisphere)


def sky(epoch, noise):
    """(prn, elevation, azimuth, snr or None, used) for each satellite."""
    minutes = (epoch.time - START_TIME).total_seconds() / 60.0
    rows = []
    for index, (prn, elevation, azimuth) in enumerate(SATELLITES):
        # A slow drift across the sky: a few tenths of a degree a minute.
        el = max(1, int(round(elevation + 0.3 * minutes * (1 if index % 2 else -1))))
        az = int(round(azimuth + 0.25 * minutes)) % 360
        if epoch.mode == 1:
            # Still searching: a few weak signals, nothing used.
            snr = 14 + noise.randint(0, 6) if index < 4 else None
            used = False
        else:
            snr = int(round(min(49, 28 + el * 0.35 + noise.uniform(-2.5, 2.5))))
            used = el >= MIN_USED_ELEVATION and (epoch.mode == 3 or index < 4)
        rows.append((prn, el, az, snr, used))
    return rows


def sentences_of(epoch, noise):
    clock = epoch.time.strftime("%H%M%S") + ".00"
    date = epoch.time.strftime("%d%m%y")
    satellites = sky(epoch, noise)
    used = [s for s in satellites if s[4]]
    out = []
    if epoch.mode >= 2:
        position = angle(epoch.position[0], True) + "," + angle(epoch.position[1], False)
        out.append(sentence("GPRMC,%s,A,%s,%.1f,%.1f,%s,,,A"
                            % (clock, position, epoch.knots, epoch.track, date)))
        hdop = 0.9 if epoch.mode == 3 else 2.4
        if epoch.mode == 3:
            # The antenna rides the swell slowly: a few centimetres a second.
            seconds = (epoch.time - START_TIME).total_seconds()
            altitude = LAKE_ALTITUDE_M + 1.5 + 0.4 * math.sin(seconds / 25.0)
            height = "%.1f,M,%.1f,M" % (altitude, GEOID_SEPARATION_M)
        else:
            height = ",M,,M"
        out.append(sentence("GPGGA,%s,%s,1,%02d,%.1f,%s,,"
                            % (clock, position, len(used), hdop, height)))
    else:
        out.append(sentence("GPRMC,%s,V,,,,,,,%s,,,N" % (clock, date)))
        out.append(sentence("GPGGA,%s,,,,,0,00,,,M,,M,," % clock))
    prns = ["%02d" % s[0] for s in used][:12]
    prns += [""] * (12 - len(prns))
    dops = {1: ",,", 2: "2.6,2.4,1.0", 3: "1.6,0.9,1.3"}[epoch.mode]
    out.append(sentence("GPGSA,A,%d,%s,%s" % (epoch.mode, ",".join(prns), dops)))
    count = len(satellites)
    parts = (count + 3) // 4
    for n in range(parts):
        body = "GPGSV,%d,%d,%02d" % (parts, n + 1, count)
        for prn, el, az, snr, _ in satellites[n * 4:n * 4 + 4]:
            body += ",%02d,%02d,%03d,%s" % (prn, el, az, "%02d" % snr if snr is not None else "")
        out.append(sentence(body))
    return "".join(out)


# --- GPX -------------------------------------------------------------------

def xml_text(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def gpx():
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<gpx version="1.1" creator="Navora demo generator"'
             ' xmlns="http://www.topografix.com/GPX/1/1">',
             '  <metadata><name>%s</name><desc>A made-up motorboat round on Lake Constance'
             ' off Lindau, for the demo drive.</desc></metadata>' % xml_text(ROUTE_NAME)]
    for name, comment, lat, lon in WAYPOINTS:
        lines.append('  <wpt lat="%.6f" lon="%.6f"><ele>%.1f</ele><name>%s</name><cmt>%s</cmt></wpt>'
                     % (lat, lon, LAKE_ALTITUDE_M, xml_text(name), xml_text(comment)))
    lines.append('  <rte>')
    lines.append('    <name>%s</name>' % xml_text(ROUTE_NAME))
    for name, comment, lat, lon in WAYPOINTS:
        lines.append('    <rtept lat="%.6f" lon="%.6f"><ele>%.1f</ele><name>%s</name><cmt>%s</cmt></rtept>'
                     % (lat, lon, LAKE_ALTITUDE_M, xml_text(name), xml_text(comment)))
    lines.append('  </rte>')
    lines.append('</gpx>')
    return "\n".join(lines) + "\n"


def describe(epochs, legs):
    print("%d reports, %d s of fix time" % (len(epochs), len(epochs)), file=sys.stderr)
    for i, leg in enumerate(legs):
        line = "leg %d %s -> %s: %.2f nm, track %.0f" % (
            i + 1, WAYPOINTS[i][0], WAYPOINTS[i + 1][0], leg.length / 1852.0, leg.track)
        if i + 1 < len(legs):
            line += ", turn %+.0f" % turn(leg.track, legs[i + 1].track)
        print(line, file=sys.stderr)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Writes Navora's demo drive.")
    parser.add_argument("folder", nargs="?", default=os.path.join(here, "..", "..", "demo"))
    folder = parser.parse_args().folder
    os.makedirs(folder, exist_ok=True)

    epochs, legs = drive()
    noise = random.Random(1887)  # seeded: the same file on every run
    with open(os.path.join(folder, "lindau-round.nmea"), "w", newline="") as f:
        for epoch in epochs:
            f.write(sentences_of(epoch, noise))
    with open(os.path.join(folder, "lindau-round.gpx"), "w") as f:
        f.write(gpx())
    describe(epochs, legs)


if __name__ == "__main__":
    main()
