# Shared by scripts/run.sh and scripts/screenshots.sh (sourced, not run):
# building the program, a free loopback port, and gpsd replaying the demo
# drive through gpsfake, stopped again with everything it started.
#
# Settings from the environment:
#   NAVORA_BUILD_DIR  build folder (default build/release)
#   DEMO_RATE         reports replayed per second (default 3; the drive has one
#                     report per second of fix time, so 3 plays it three times
#                     as fast as it was driven)

DEMO_DIR=demo
DEMO_LOG=$DEMO_DIR/lindau-round.nmea
DEMO_ROUTE=$DEMO_DIR/lindau-round.nvr
DEMO_WAYPOINTS=$DEMO_DIR/lindau-waypoints.nvw
# Head straight for the route's waypoint 1 from the first position (the boat
# leaves its berth through waypoint 0, the harbour mouth), then on.
DEMO_NAVIGATE=(--navigate "$DEMO_ROUTE" --index 1)

NAVORA_BUILD_DIR=${NAVORA_BUILD_DIR:-build/release}
NAVORA=$NAVORA_BUILD_DIR/src/app/navora

demo_gpsfake_pid=
DEMO_PORT=

# Configures (once) and builds only the program.
demo_build() {
  if [ ! -f "$NAVORA_BUILD_DIR/build.ninja" ]; then
    cmake -S . -B "$NAVORA_BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$NAVORA_BUILD_DIR" -j "$(nproc)" --target navora
}

# Prints a TCP port on the loopback interface that nothing listens on now.
demo_free_port() {
  python3 -c 'import socket
s = socket.socket()
s.bind(("127.0.0.1", 0))
print(s.getsockname()[1])
s.close()'
}

demo_port_answers() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

# Starts gpsd through gpsfake on a free loopback port, replaying the drive
# once at DEMO_RATE reports a second; sets DEMO_PORT. gpsfake gets a session
# of its own so that it and its gpsd are stopped together, and so that a
# Ctrl-C meant for Navora reaches Navora first.
demo_start_gpsd() {
  local log=${1:-$DEMO_LOG}
  local rate=${DEMO_RATE:-3}
  local reports sentences cycle
  reports=$(grep -c 'RMC,' "$log")
  sentences=$(grep -c '^\$' "$log")
  # gpsfake waits its cycle after every sentence.
  cycle=$(python3 -c "print(round(1.0 / ($rate * $sentences / $reports), 4))")
  DEMO_PORT=$(demo_free_port)
  setsid gpsfake -1 -q -P "$DEMO_PORT" -c "$cycle" "$log" </dev/null >/dev/null 2>&1 &
  demo_gpsfake_pid=$!
  local tries=0
  until demo_port_answers "$DEMO_PORT"; do
    if ! kill -0 "$demo_gpsfake_pid" 2>/dev/null || [ $((tries += 1)) -gt 200 ]; then
      echo "demo: gpsd did not start on port $DEMO_PORT" >&2
      return 1
    fi
    sleep 0.1
  done
  echo "demo: gpsd on 127.0.0.1:$DEMO_PORT replays $log ($reports reports, $rate a second)" >&2
}

# True while a process runs (an ended child not yet waited for does not).
demo_running() {
  [ -r "/proc/$1/stat" ] && ! grep -q '^[0-9]* (.*) Z' "/proc/$1/stat" 2>/dev/null
}

demo_stop_gpsd() {
  if [ -n "$demo_gpsfake_pid" ]; then
    # The whole session: gpsfake and the gpsd it started. gpsfake can hang
    # in a write to its pseudo-terminal once gpsd is gone: then kill it.
    kill -TERM -- "-$demo_gpsfake_pid" 2>/dev/null || true
    local tries=0
    while demo_running "$demo_gpsfake_pid" && [ $((tries += 1)) -le 30 ]; do
      sleep 0.1
    done
    kill -KILL -- "-$demo_gpsfake_pid" 2>/dev/null || true
    wait "$demo_gpsfake_pid" 2>/dev/null || true
    demo_gpsfake_pid=
  fi
}

# True when Qt can show windows: an X or Wayland display, or a platform
# chosen explicitly (QT_QPA_PLATFORM=offscreen, for instance).
demo_have_display() {
  [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] || [ -n "${QT_QPA_PLATFORM:-}" ]
}
