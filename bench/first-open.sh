#!/usr/bin/env bash
# bench/first-open.sh BUILD_DIR PKG.360 [PAIRS]
#
# The first opening of a fresh process, whole process, against the serial one-core decode of the
# same pictures. Each pair runs `gyrolook-pack check PKG` as a process of its own (wall time from
# start to exit, its peak resident memory from /usr/bin/time) and right after it one serial decode
# (open_bench's `serial_decode`, one opening), so that both meet the machine in the same state.
# Prints one line a pair and the median of the pairs' ratios:
#   pair <i> check_ms <ms> rss_kib <n> serial_ms <ms> ratio <x>
#   median_ratio <x> pairs <n> load <1-minute load average before the first pair>
set -euo pipefail

[ $# -ge 2 ] && [ $# -le 3 ] || { echo "usage: bench/first-open.sh BUILD_DIR PKG.360 [PAIRS]" >&2; exit 2; }
build="$1"
package="$2"
pairs="${3:-5}"
pack="$build/tools/gyrolook-pack"
bench="$build/bench/open_bench"
for tool in "$pack" "$bench"; do
    [ -x "$tool" ] || { echo "first-open: $tool not found; build it first" >&2; exit 1; }
done
[ -f "$package" ] || { echo "first-open: $package not found" >&2; exit 1; }

load="$(cut -d' ' -f1 /proc/loadavg)"
times="$(mktemp)"
trap 'rm -f "$times"' EXIT
ratios=()
for ((i = 1; i <= pairs; i++)); do
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$times" "$pack" check "$package" >/dev/null
    end=$(date +%s%N)
    serial=$("$bench" "$package" --runs 1 2>/dev/null | awk '$1 == "serial_decode" { print $2 }')
    ratio=$(awk -v c="$(((end - start) / 1000))" -v s="$serial" 'BEGIN { printf "%.3f", c / 1000 / s }')
    printf 'pair %d check_ms %.1f rss_kib %s serial_ms %s ratio %s\n' "$i" \
        "$(awk -v c="$(((end - start) / 1000))" 'BEGIN { print c / 1000 }')" "$(tail -n 1 "$times")" \
        "$serial" "$ratio"
    ratios+=("$ratio")
    sleep 2
done
printf '%s\n' "${ratios[@]}" | sort -n |
    awk -v n="$pairs" -v load="$load" '{ r[NR] = $1 }
        END { m = (n % 2) ? r[(n + 1) / 2] : (r[n / 2] + r[n / 2 + 1]) / 2
              printf "median_ratio %.3f pairs %d load %s\n", m, n, load }'
