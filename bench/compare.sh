#!/usr/bin/env bash
# Side-by-side figures for the GPX path, whole processes on one machine in
# one run: Navora's convert against GPSBabel (GPX to GPX) and against
# xmllint (reading alone). Builds nothing: give the navora program as
# NAVORA=path (default: the optimised build's). Prints the median wall time
# and the peak memory of each tool and the ratios.
#
#   bash bench/compare.sh [WAYPOINTS] [RUNS]     (default 100000 and 5)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
navora=${NAVORA:-$root/build/release/src/app/navora}
waypoints=${1:-100000}
runs=${2:-5}
for tool in "$navora" gpsbabel xmllint /usr/bin/time python3; do
    command -v "$tool" >/dev/null || { echo "compare.sh: $tool is missing" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
input=$work/waypoints.gpx

# The file: waypoints with name, description, elevation and time, as
# GPSBabel and most programs write them.
python3 "$root/bench/waypoints_gpx.py" "$input" "$waypoints"
echo "input: $waypoints waypoints, $(du -h "$input" | cut -f1) of GPX; median of $runs runs"

# Runs a command $runs times; prints "median-seconds peak-kilobytes".
measure() {
    local times=() peaks=()
    for _ in $(seq "$runs"); do
        /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>&1
        read -r seconds peak <"$work/time"
        times+=("$seconds")
        peaks+=("$peak")
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%s ", a[int((NR+1)/2)]}'
    printf '%s\n' "${peaks[@]}" | sort -n | tail -1
}

read -r navoraGpx navoraGpxPeak < <(measure "$navora" convert --quiet "$input" "$work/navora.gpx")
read -r babelGpx babelGpxPeak < <(measure gpsbabel -i gpx -f "$input" -o gpx -F "$work/babel.gpx")
read -r navoraRead navoraReadPeak < <(measure "$navora" convert --quiet "$input" "$work/navora.nvw")
read -r lintRead lintReadPeak < <(measure xmllint --noout "$input")

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
printf '%-34s %10s %12s\n' "what" "seconds" "peak MB"
printf '%-34s %10s %12.1f\n' "navora convert GPX -> GPX" "$navoraGpx" "$(ratio "$navoraGpxPeak" 1024)"
printf '%-34s %10s %12.1f\n' "gpsbabel GPX -> GPX" "$babelGpx" "$(ratio "$babelGpxPeak" 1024)"
printf '%-34s %10s %12.1f\n' "navora convert GPX -> .nvw" "$navoraRead" "$(ratio "$navoraReadPeak" 1024)"
printf '%-34s %10s %12.1f\n' "xmllint --noout" "$lintRead" "$(ratio "$lintReadPeak" 1024)"
echo "GPSBabel's time / Navora's (GPX -> GPX): $(ratio "$babelGpx" "$navoraGpx")x"
echo "Navora's read / xmllint's:               $(ratio "$navoraRead" "$lintRead")x"
