# Sourced by the scripts that need a virtual X display of their own.

# xvfb_start WORK NAME: starts Xvfb on a free display (Xvfb picks the number
# and writes it to fd 3); sets xvfb_pid and xvfb_display. NAME goes in the
# message when it does not start.
xvfb_start() {
  local work=$1 name=$2
  Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  [ -s "$work/display" ] || { echo "$name: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
  xvfb_display=:$(head -n1 "$work/display")
}
