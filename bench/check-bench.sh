#!/usr/bin/env bash
# Time and peak memory of "gyrolook-pack check" on a package, against the two-core decode limit of
# the same package at the scale check decodes it (the screen level of its pictures on the screen
# given, 1920 x 1080 by default), measured in the same run. Targets on a 180 x 24 MP shoot: at
# most 400 MB and 1.3 x the limit. Needs /usr/bin/time.
#   bench/check-bench.sh BUILD_DIR PACKAGE.360 [RUNS] [WIDTHxHEIGHT]
# BUILD_DIR must hold tools/gyrolook-pack and bench/decode_limit. Prints each run ("run <i> <s> s
# <peak KB> KB exit <status>"), the limit's figures, the medians, their ratio to the limit and
# the load average before and after.
set -euo pipefail
[ $# -ge 2 ] && [ $# -le 4 ] || {
    echo "usage: bench/check-bench.sh BUILD_DIR PACKAGE.360 [RUNS] [WIDTHxHEIGHT]" >&2
    exit 2
}
build=$(realpath "$1")
package=$(realpath "$2")
runs=${3:-3}
screen=${4:-1920x1080}
pack="$build/tools/gyrolook-pack"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "load before $(cut -d' ' -f1-3 /proc/loadavg)"

# The scale check decodes at: the first picture's screen level, from its size and the screen.
level=$("$pack" check "$package" --json --quiet --screen "$screen" --free-memory $((64 << 30)) |
    python3 -c 'import json, sys; print(json.load(sys.stdin)["screenLevel"])')

walls=()
peaks=()
for i in $(seq 1 "$runs"); do
    status=0
    /usr/bin/time -o "$work/time.txt" -f "%e %M" "$pack" check "$package" --quiet \
        --screen "$screen" >/dev/null 2>&1 || status=$?
    read -r seconds kb < <(tail -n 1 "$work/time.txt")
    echo "run $i $seconds s $kb KB exit $status"
    walls+=("$seconds")
    peaks+=("$kb")
done
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
wall=$(median "${walls[@]}")
peak=$(median "${peaks[@]}")

"$build/bench/decode_limit" "$package" --scale "$level" --threads 2 --runs 3 | tee "$work/limit.txt"
limit=$(awk '$1 == "limit" { print $2 }' "$work/limit.txt")
echo "check $wall s peak $peak KB ($((peak / 1024)) MB) at scale 1/$level"
awk -v w="$wall" -v l="$limit" 'BEGIN { printf "ratio %.2f x the two-core limit (%.2f s)\n", w * 1000 / l, l / 1000 }'
echo "load after $(cut -d' ' -f1-3 /proc/loadavg)"
