#!/usr/bin/env bash
# Installs what is missing, builds Navora and starts it on the demo drive: a
# real gpsd (through gpsfake, on a free loopback port) replays a motorboat
# round on Lake Constance, and Navora navigates its route with the waypoint
# list open. Without a display it runs the same drive headless, prints what
# the windows would show as JSON lines, and ends with the drive. Arguments go
# to navora.
# gpsd and gpsfake are stopped when Navora quits.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/demo-common.sh
demo_build

navora_pid=
stop_navora() {
  if [ -n "$navora_pid" ]; then
    kill -TERM "$navora_pid" 2>/dev/null || true
  fi
}
trap demo_stop_gpsd EXIT
# Navora runs in the background (so this script can pass on a stop), where a
# non-interactive shell has it ignore Ctrl-C; pass it on as SIGTERM.
trap stop_navora INT TERM

# Headless: prints Navora's lines and ends it once the drive is over (the
# destination reached and, the log played out, gpsd gone quiet).
follow_headless() {
  local line arrived=
  while true; do
    if IFS= read -r line; then
      printf '%s\n' "$line"
      case $line in
        *'"alert":"DestinationArrival"'*) arrived=1 ;;
        *'"alert":"GPSOffline"'*)
          if [ -n "$arrived" ]; then
            echo "run.sh: the demo drive is over" >&2
            stop_navora
          fi
          ;;
      esac
    else
      # A trapped signal interrupts read: go on reading until the end.
      [ $? -gt 128 ] && continue
      break
    fi
  done
}

demo_start_gpsd
if demo_have_display; then
  "$NAVORA" --server 127.0.0.1 --port "$DEMO_PORT" "${DEMO_NAVIGATE[@]}" "$DEMO_WAYPOINTS" "$@" &
  navora_pid=$!
else
  echo "run.sh: no display (neither DISPLAY nor WAYLAND_DISPLAY is set): the drive in headless mode," \
    "one JSON line per report (Ctrl-C ends it)" >&2
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  "$NAVORA" --headless --server 127.0.0.1 --port "$DEMO_PORT" "${DEMO_NAVIGATE[@]}" "$@" >"$fifo" &
  navora_pid=$!
  follow_headless <"$fifo"
  rm -f "$fifo"
fi
status=0
# wait returns early when a trapped signal arrives; wait again for the end.
while kill -0 "$navora_pid" 2>/dev/null; do
  wait "$navora_pid" && status=0 || status=$?
done
navora_pid=
exit "$status"
