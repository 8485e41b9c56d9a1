#!/usr/bin/env bash
# Time and peak memory of "gyrolook-pack thumbnail" on the sample, on camera photos of 24, 36 and
# 61 megapixels (6016 x 4016, 7360 x 4912, 9504 x 6336: baseline JPEGs of grainy gradients, about
# the bytes a camera writes; target: at most 1 s of processor time and 150 MB each) and on the
# worst packages it must handle: a decompression bomb, 4,094 members, 50 MB of garbage, and large
# pictures (a 5600 x 4200 progressive JPEG of noise, a PNG of the same size). Needs python3,
# ImageMagick's convert and /usr/bin/time.
#   bench/thumbnail-bench.sh PACK_TOOL SAMPLE.360
# Prints one line per package: "<name> <seconds> s <cpu seconds> s cpu <peak KB> KB exit <status>";
# the last line gives the processor time after which the tool gives up, for comparison.
set -euo pipefail
pack=$(realpath "$1")
sample=$(realpath "$2")
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
convert -size 5600x4200 xc:gray +noise Random -quality 92 -interlace Plane big.jpg
convert -size 5600x4200 gradient:red-blue -depth 8 big.png
cameras="6016x4016 7360x4912 9504x6336"
for size in $cameras; do
    convert -size "$size" gradient:orange-navy -attenuate 0.4 +noise Gaussian -quality 92 \
        -sampling-factor 2x2 "cam$size.jpg"
done
python3 - "$here/data/samples/teapot/info.ini" $cameras <<'PY'
import os, sys, zipfile
ini = open(sys.argv[1], 'rb').read()
with zipfile.ZipFile('bomb.360', 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('info.ini', ini)
    with z.open('teapot_H_0000.jpg', 'w', force_zip64=True) as f:
        for _ in range(1024):
            f.write(bytes(1 << 20))
with zipfile.ZipFile('many.360', 'w') as z:
    z.writestr('info.ini', ini)
    for i in range(4094):
        z.writestr('m%d' % i, b'x')
open('garbage.360', 'wb').write(os.urandom(50 << 20))
for size in sys.argv[2:]:
    with zipfile.ZipFile('cam%s.360' % size, 'w') as z:
        z.writestr('info.ini', ini)
        z.write('cam%s.jpg' % size, 'teapot_H_0000.jpg')
for ext in ('jpg', 'png'):
    with zipfile.ZipFile('big%s.360' % ext, 'w') as z:
        z.writestr('info.ini', ini.replace(b'.jpg', b'.' + ext.encode()))
        z.write('big.' + ext, 'teapot_H_0000.' + ext)
PY
for package in "$sample" cam6016x4016.360 cam7360x4912.360 cam9504x6336.360 bomb.360 many.360 garbage.360 bigjpg.360 bigpng.360; do
    status=0
    /usr/bin/time -o time.txt -f "%e %M %U %S" "$pack" thumbnail "$package" out.png 2>/dev/null ||
        status=$?
    read -r seconds kb user system < <(tail -n 1 time.txt)
    cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')
    echo "$(basename "$package") $seconds s $cpu s cpu $kb KB exit $status" \
        "($(stat -c %s "$package") B)"
    rm -f out.png
done
echo "cut-off $(sed -n 's/.*kCpuLimit(\([0-9]*\)).*/\1/p' "$here/tools/ThumbnailCommand.cpp") ms cpu"
