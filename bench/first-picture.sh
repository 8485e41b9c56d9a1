#!/usr/bin/env bash
# bench/first-picture.sh BUILD_DIR PKG.360 [RUNS] [SCALE]
#
# What a user waits for: from launching the viewer with a package to its first picture on screen,
# in the real window on an X server (Xvfb, 1920 x 1080, with the openbox window manager framing
# the windows as a desktop does). Each run starts a fresh viewer with GYROLOOK_TIMING=exit, which
# writes the moment its first picture has been painted and flushed to the server and then ends;
# the time counts from just before the launch. Beside it, the limit the opening is measured
# against: the start-up (launch to the empty main window painted, no package, timed the same way),
# plus one decode of the first picture at 1/SCALE (bench/decode_limit's per-picture figure; SCALE 1
# by default: give the screen level the viewer holds a camera shoot at, e.g. 4 for 6000 x 4000
# photos on this screen), plus 0.1 s; and beside it both cores decoding every picture, measured in
# the same run. Prints:
#   startup <i> launch_to_window_ms <ms>
#   run <i> launch_to_picture_ms <ms> since_process_start_ms <ms> peak_rss_kib <n>
#   median_ms <ms> startup_ms <ms> runs <n> load <1-minute load average before the first run> after <after>
#   decode_limit_ms <ms> per_picture_ms <ms> target_ms <startup + per picture + 100>
set -euo pipefail

[ $# -ge 2 ] && [ $# -le 4 ] || { echo "usage: bench/first-picture.sh BUILD_DIR PKG.360 [RUNS] [SCALE]" >&2; exit 2; }
build="$1"
package="$(realpath "$2")"
runs="${3:-5}"
scale="${4:-1}"
viewer="$build/app/gyrolook"
limit="$build/bench/decode_limit"
[ -x "$viewer" ] || { echo "first-picture: $viewer not found; build it first" >&2; exit 1; }
[ -f "$package" ] || { echo "first-picture: $package not found" >&2; exit 1; }

# A display number of our own.
display=""
for n in $(seq 70 99); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        display=":$n"
        break
    fi
done
[ -n "$display" ] || { echo "first-picture: no free display number" >&2; exit 1; }

log="$(mktemp)"
rss="$(mktemp)"
server=""
manager=""
cleanup() {
    [ -n "$manager" ] && kill "$manager" 2>/dev/null || true
    [ -n "$server" ] && kill "$server" 2>/dev/null || true
    rm -f "$log" "$rss"
}
trap cleanup EXIT
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
server=$!
for _ in $(seq 100); do
    DISPLAY="$display" xdpyinfo >/dev/null 2>&1 && break
    sleep 0.05
done
DISPLAY="$display" openbox >/dev/null 2>&1 &
manager=$!
sleep 1

# One launch of the viewer; prints the milliseconds from launch to the line `what` on standard
# error, and the peak RSS.
launch() {
    local what="$1"
    shift
    local start line at
    start=$(date +%s%N)
    DISPLAY="$display" GYROLOOK_TIMING=exit /usr/bin/time -f '%M' -o "$rss" \
        timeout 120 "$viewer" "$@" 2>"$log" >/dev/null || true
    line="$(grep -m1 "gyrolook: $what" "$log" || true)"
    [ -n "$line" ] || return 1
    at="$(sed -E 's/.* at ([0-9]+)$/\1/' <<<"$line")"
    awk -v a="$at" -v s="$start" 'BEGIN { printf "%.1f", (a - s) / 1e6 }'
    printf ' %s\n' "$(sed -E 's/.* ([0-9.-]+) ms at.*/\1/' <<<"$line")"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

load="$(cut -d' ' -f1 /proc/loadavg)"
# The start-up: launch to the empty main window painted, no package.
starts=()
for ((i = 1; i <= runs; i++)); do
    read -r ms since < <(launch "empty window") ||
        { echo "first-picture: start-up run $i painted no window:" >&2; cat "$log" >&2; exit 1; }
    printf 'startup %d launch_to_window_ms %s\n' "$i" "$ms"
    starts+=("$ms")
    sleep 1
done
times=()
for ((i = 1; i <= runs; i++)); do
    read -r ms since < <(launch "first picture" "$package") ||
        { echo "first-picture: run $i showed no picture:" >&2; cat "$log" >&2; exit 1; }
    printf 'run %d launch_to_picture_ms %s since_process_start_ms %s peak_rss_kib %s\n' \
        "$i" "$ms" "$since" "$(tail -n1 "$rss")"
    times+=("$ms")
    sleep 1
done
after="$(cut -d' ' -f1 /proc/loadavg)"
startup="$(printf '%s\n' "${starts[@]}" | median)"
printf 'median_ms %s startup_ms %s runs %d load %s after %s\n' \
    "$(printf '%s\n' "${times[@]}" | median)" "$startup" "$runs" "$load" "$after"
if [ -x "$limit" ]; then
    figures="$("$limit" "$package" --scale "$scale" --runs 3)"
    decode="$(awk '$1 == "limit" { print $2 }' <<<"$figures")"
    one="$(awk '$1 == "per_picture" { print $2 }' <<<"$figures")"
    # The first picture on screen: the start-up, one decode of that picture, and 0.1 s.
    printf 'decode_limit_ms %s per_picture_ms %s target_ms %s\n' "$decode" "$one" \
        "$(awk -v s="$startup" -v o="$one" 'BEGIN { printf "%.1f", s + o + 100 }')"
fi
