#!/usr/bin/env python3
"""Writes a GPX file of COUNT waypoints with name, description, elevation and
time, as GPSBabel and most programs write them; --comments adds a comment to
each. The benchmark scripts' common input.

    python3 bench/waypoints_gpx.py PATH COUNT [--comments]
"""
import sys


def main():
    path, count = sys.argv[1], int(sys.argv[2])
    comments = "--comments" in sys.argv[3:]
    with open(path, "w") as out:
        out.write('<?xml version="1.0" encoding="UTF-8"?>\n'
                  '<gpx version="1.1" creator="navora bench" xmlns="http://www.topografix.com/GPX/1/1">\n')
        for i in range(count):
            lat = 45.0 + (i % 1000) / 1000.0
            lon = 7.0 - (i // 1000) / 500.0
            comment = f'    <cmt>Generated waypoint number {i}</cmt>\n' if comments else ''
            out.write(f'  <wpt lat="{lat:.6f}" lon="{lon:.6f}">\n'
                      f'    <ele>{i % 3000}.5</ele>\n'
                      f'    <time>2026-06-01T{(i // 3600) % 24:02d}:{(i // 60) % 60:02d}:{i % 60:02d}Z</time>\n'
                      f'    <name>WP{i:06d}</name>\n'
                      f'{comment}'
                      f'    <desc>Generated waypoint number {i}</desc>\n'
                      f'  </wpt>\n')
        out.write('</gpx>\n')


if __name__ == "__main__":
    main()
