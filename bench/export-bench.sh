#!/usr/bin/env bash
# Figures for "gyrolook-pack export" on one package (the sample by default):
#   - the web page export against the opening alone ("check", the same opening the export runs
#     first): wall and processor seconds, median of RUNS each;
#   - the animated WebP at 640 pixels against the same frames as a GIF and the package's own
#     horizontal pictures, in bytes;
#   - the exported page in headless Chromium from file://: when the first picture was painted
#     against the page's load event (export-page-paint.py).
#   bench/export-bench.sh PACK_TOOL [PKG.360] [RUNS]
# Needs /usr/bin/time, unzip, chromium, chromium-driver and python3-selenium.
set -euo pipefail
pack=$(realpath "$1")
package=$(realpath "${2:-$(dirname "$pack")/../data/teapot.360}")
runs=${3:-5}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
timed() { # label, command...: median wall and processor seconds over the runs
    local label=$1
    shift
    for i in $(seq "$runs"); do
        rm -rf out out.*
        /usr/bin/time -o time.txt -f "%e %U %S" "$@" >/dev/null 2>&1
        awk '{ printf "%s %.2f\n", $1, $2 + $3 }' time.txt
    done >times.txt
    echo "$label: wall $(cut -d' ' -f1 times.txt | median) s, processor $(cut -d' ' -f2 times.txt |
        median) s (median of $runs)"
}
timed "opening alone (check)" "$pack" check "$package"
timed "web page export" "$pack" export "$package" out

rm -rf out out.*
"$pack" export "$package" spin.webp --size 640 >/dev/null 2>&1
"$pack" export "$package" spin.gif --size 640 >/dev/null 2>&1
mkdir members && (cd members && unzip -q "$package")
jpegs=$(find members -name '*_H_*' -printf '%s\n' | awk '{ s += $1 } END { print s }')
echo "one turn at 640 px: WebP $(stat -c %s spin.webp) B, GIF $(stat -c %s spin.gif) B," \
    "the package's horizontal pictures $jpegs B"

"$pack" export "$package" page >/dev/null 2>&1
/usr/bin/python3 "$here/export-page-paint.py" "$work/page/index.html" "$runs"
