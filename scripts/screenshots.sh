#!/usr/bin/env bash
# Takes the screenshots in docs/screenshots/ from the demo drive: Navora runs
# on a virtual X display (its own Xvfb), navigating the demo route while
# gpsfake replays the drive, with --snapshots; at chosen moments of the drive
# SIGUSR1 makes it write a PNG of each of its windows, SIGUSR2 shows the
# MiniNav. The moments follow the alerts in Navora's log, not the clock.
# At the end xdotool types Ctrl+, for a picture of the preferences window.
#
#   bash scripts/screenshots.sh [OUTPUT_DIR]     (default docs/screenshots)
#
# Settings are a scratch configuration's defaults, not the user's.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/demo-common.sh
source scripts/xvfb-common.sh
demo_build

output=${1:-docs/screenshots}
work=$(mktemp -d)
log=$work/navora.log
snapshots=$work/snapshots
mkdir -p "$snapshots" "$output"

xvfb_pid=
navora_pid=
cleanup() {
  [ -n "$navora_pid" ] && kill -TERM "$navora_pid" 2>/dev/null && wait "$navora_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill -TERM "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  demo_stop_gpsd
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

xvfb_start "$work" screenshots
export DISPLAY=$xvfb_display
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
export XDG_CONFIG_HOME=$work/config
export XDG_DATA_HOME=$work/data

# Counts the log's lines matching a pattern.
count() {
  grep -c -- "$1" "$log" 2>/dev/null || true
}

# Waits until the log has at least N lines matching a pattern.
wait_for() {
  local pattern=$1 n=$2 limit=${3:-180}
  local end=$((SECONDS + limit))
  until [ "$(count "$pattern")" -ge "$n" ]; do
    if ! kill -0 "$navora_pid" 2>/dev/null; then
      echo "screenshots: navora ended early; its log:" >&2
      cat "$log" >&2
      exit 1
    fi
    if [ "$SECONDS" -ge "$end" ]; then
      echo "screenshots: no '$pattern' (x$n) in the log within ${limit}s" >&2
      cat "$log" >&2
      exit 1
    fi
    sleep 0.1
  done
}

shots=0
taken=
# Takes a snapshot; sets taken to its sequence number as the program wrote it.
snapshot() {
  shots=$((shots + 1))
  kill -USR1 "$navora_pid"
  wait_for 'Snapshot [0-9]* written' "$shots" 20
  taken=$(grep -o 'Snapshot [0-9]* written' "$log" | sed -n "${shots}p" | awk '{ print $2 }')
}

# Copies a window's PNG of a snapshot to the output folder.
keep() {
  local at=$1 window=$2 name=$3
  local file= candidate number
  # Files are named <seq>-<window>.png; the number may have leading zeros.
  for candidate in "$snapshots"/*-"$window".png; do
    number=${candidate##*/}
    number=${number%%-*}
    if [[ $number =~ ^[0-9]+$ ]] && [ $((10#$number)) -eq $((10#$at)) ]; then
      file=$candidate
    fi
  done
  if [ -z "$file" ]; then
    echo "screenshots: snapshot $at has no $window window (written: $(ls "$snapshots" | tr '\n' ' '))" >&2
    return 1
  fi
  cp "$file" "$output/$name"
  echo "screenshots: $output/$name"
}

# Types Ctrl+, into Navora and waits until its preferences window is shown.
# Xvfb runs no window manager, so nothing has the input focus yet: give it
# to one of Navora's windows first, as a click would, so the keys reach it.
open_preferences() {
  local window
  window=$(xdotool search --onlyvisible --pid "$navora_pid" | head -n1)
  if [ -z "$window" ]; then
    echo "screenshots: navora shows no window to type into" >&2
    return 1
  fi
  xdotool windowfocus --sync "$window"
  xdotool key --clearmodifiers ctrl+comma
  if ! timeout 20 xdotool search --sync --onlyvisible --pid "$navora_pid" --name '^Preferences$' >/dev/null; then
    echo "screenshots: the preferences window did not open within 20s" >&2
    return 1
  fi
}

# Sleeps for a number of seconds of the drive's own time.
export DEMO_RATE=${DEMO_RATE:-3}
drive_sleep() {
  sleep "$(python3 -c "print($1 / $DEMO_RATE)")"
}

demo_start_gpsd
"$NAVORA" --server 127.0.0.1 --port "$DEMO_PORT" "${DEMO_NAVIGATE[@]}" --snapshots "$snapshots" \
  "$DEMO_WAYPOINTS" >"$work/stdout.log" 2>"$log" &
navora_pid=$!

# Mid-way along the second leg, drifted off it: the CDI shows it.
wait_for 'WaypointPassage' 1
drive_sleep 50
snapshot
middle=$taken
# Inside the lead time before the third waypoint: the arrival highlight.
wait_for 'WaypointArrival' 3
drive_sleep 3
snapshot
arrival=$taken
# The MiniNav on the last leg.
wait_for 'WaypointPassage' 3
drive_sleep 24
kill -USR2 "$navora_pid"
drive_sleep 6
snapshot
mininav=$taken
# Back to the full windows for the destination.
kill -USR2 "$navora_pid"
wait_for 'DestinationArrival' 1
drive_sleep 3
snapshot
destination=$taken
# The preferences, opened the way a user would: Ctrl+, typed into Navora.
open_preferences
snapshot
preferences=$taken

keep "$middle" window gps-window.png
keep "$middle" navDataWindow navigation-window.png
keep "$arrival" navDataWindow navigation-arrival.png
keep "$mininav" miniNavWindow mininav.png
keep "$destination" navDataWindow navigation-destination.png
keep "$arrival" plotWindow plot.png
keep "$middle" WaypointDocument waypoint-list.png
keep "$middle" RouteDocument route.png
keep "$preferences" prefWindow preferences.png
echo "screenshots: snapshots at $middle (mid-leg), $arrival (arrival), $mininav (MiniNav), $destination (destination), $preferences (preferences)"
