#!/usr/bin/env bash
# Start-up time of the desktop program to its windows on the screen, on a
# virtual X display of its own (Xvfb): the program alone, and opening a
# waypoint list of WAYPOINTS waypoints. Builds nothing: give the navora
# program as NAVORA=path (default: the optimised build's); BASELINE=path
# times a second program in the same run, alternating with the first, and
# prints the ratios.
#
# Each run starts "navora --quit-when-shown", which logs "Shown after N ms"
# once its windows are painted and quits. Printed, as medians of RUNS runs:
# "shown", from the launch to that line (loading the libraries included);
# "in program", the N of that line (from the desktop start, after loading);
# "exit", from the launch to the end of the process. "--version" is the
# process with its libraries and nothing else.
#
#   bash bench/startup.sh [WAYPOINTS] [RUNS]     (default 100000 and 21)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
navora=${NAVORA:-$root/build/release/src/app/navora}
baseline=${BASELINE:-}
waypoints=${1:-100000}
runs=${2:-21}
for tool in "$navora" ${baseline:+"$baseline"} Xvfb python3; do
    command -v "$tool" >/dev/null || { echo "startup.sh: $tool is missing" >&2; exit 2; }
done

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill -TERM "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The list: waypoints with name, description, elevation and time, as a GPX
# file from elsewhere would bring them, converted by the program itself.
python3 "$root/bench/waypoints_gpx.py" "$work/waypoints.gpx" "$waypoints" --comments
list=$work/waypoints.nvw
"$navora" convert --quiet "$work/waypoints.gpx" "$list" >/dev/null
rm "$work/waypoints.gpx"

source "$root/scripts/xvfb-common.sh"
xvfb_start "$work" startup.sh

echo "list: $waypoints waypoints, $(du -h "$list" | cut -f1) of .nvw; median of $runs runs, milliseconds"
mkdir -p "$work/config"
DISPLAY=$xvfb_display QT_QPA_PLATFORM=xcb WAYLAND_DISPLAY= XDG_CONFIG_HOME=$work/config \
    python3 - "$runs" "$list" "$navora" ${baseline:+"$baseline"} <<'PY'
import re, statistics, subprocess, sys, time

runs, listPath, programs = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
cases = [("--version", ["--version"], False), ("empty start", ["--quit-when-shown"], True),
         ("with the list", ["--quit-when-shown", listPath], True)]
shownLine = re.compile(rb"Shown after (\d+) ms")

def once(program, arguments, waits):
    """Milliseconds: to the shown line, the program's own figure, to the exit."""
    start = time.monotonic()
    child = subprocess.Popen([program] + arguments, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    shown = inner = None
    log = []
    for line in child.stderr:
        log.append(line)
        found = shownLine.search(line)
        if found and shown is None:
            shown = (time.monotonic() - start) * 1000
            inner = float(found.group(1))
    status = child.wait(timeout=60)
    ended = (time.monotonic() - start) * 1000
    if status != 0 or (waits and shown is None):
        sys.exit(f"startup.sh: {program} {' '.join(arguments)} ended with {status}:\n" + b"".join(log).decode())
    return shown, inner, ended

# One run of each first, not counted: the file and font caches warm.
for program in programs:
    for _, arguments, waits in cases:
        once(program, arguments, waits)
figures = {(p, c[0]): [] for p in programs for c in cases}
for _ in range(runs):
    for program in programs:
        for name, arguments, waits in cases:
            figures[(program, name)].append(once(program, arguments, waits))

def median(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else float("nan")

for program in programs:
    print(program)
    print(f"  {'':16} {'shown':>8} {'in program':>11} {'exit':>8}")
    for name, _, waits in cases:
        rows = figures[(program, name)]
        shown = median([r[0] for r in rows]) if waits else float("nan")
        inner = median([r[1] for r in rows]) if waits else float("nan")
        print(f"  {name:16} {shown:8.1f} {inner:11.1f} {median([r[2] for r in rows]):8.1f}")
if len(programs) == 2:
    print("ratios, first / second (shown; --version by exit)")
    for name, _, waits in cases:
        column = 0 if waits else 2
        a = median([r[column] for r in figures[(programs[0], name)]])
        b = median([r[column] for r in figures[(programs[1], name)]])
        print(f"  {name:16} {a / b:8.2f}")
PY
