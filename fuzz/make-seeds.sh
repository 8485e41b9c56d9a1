#!/usr/bin/env bash
# Writes the starting corpora of the fuzz targets: tiny pictures of every kind, descriptors, and
# small real packages made with the package tool. Needs ImageMagick's convert and python3.
#   fuzz/make-seeds.sh PACK_TOOL OUT_DIR
# OUT_DIR receives probe/, descriptor/, extract/ and open/.
set -euo pipefail
pack=$(realpath "$1")
out=$(realpath -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"/{probe,descriptor,extract,open}

# Pictures: each kind in a few colour layouts, 8 x 8 pixels.
pics="$work/pics"
mkdir -p "$pics"
convert -size 8x8 gradient:red-blue -strip "$pics/rgb.png"
convert -size 8x8 gradient:white-black -colorspace Gray -strip "$pics/grey.png"
convert -size 8x8 gradient:red-blue -alpha set -channel A -evaluate set 50% -strip "PNG32:$pics/rgba.png"
convert -size 8x8 gradient:red-blue -depth 16 -strip "PNG48:$pics/deep.png"
convert -size 8x8 gradient:red-blue -colors 4 -strip "PNG8:$pics/palette.png"
convert -size 8x8 gradient:red-blue -strip -quality 50 "$pics/base.jpg"
convert -size 8x8 gradient:red-blue -strip -interlace Plane "$pics/progressive.jpg"
convert -size 8x8 gradient:white-black -colorspace Gray -strip "$pics/grey.jpg"
convert -size 8x8 gradient:red-blue -colors 8 "$pics/small.gif"
convert -size 8x8 gradient:red-blue "BMP3:$pics/v3.bmp"
convert -size 8x8 gradient:red-blue "$pics/v5.bmp"
convert -size 8x8 gradient:red-blue -colors 16 -type Palette "BMP3:$pics/palette.bmp"
cp "$pics"/* "$out/probe/"
# A JPEG start found only at the end of the probe's 65,536 bytes.
python3 - "$pics/base.jpg" "$out/probe" <<'PY'
import pathlib, sys
jpeg = pathlib.Path(sys.argv[1]).read_bytes()
for lead in (65500, 65520, 65525, 65530):
    (pathlib.Path(sys.argv[2]) / f"late-{lead}.jpg").write_bytes(bytes(lead) + jpeg)
PY

# Descriptors: the sample's, and variants with more hot spots and odd values.
cp "$here/../data/samples/teapot/info.ini" "$out/descriptor/teapot.ini"
descriptor() { # name type north south sound hotspots
    printf '[FileName]\r\nFileName=%s\r\n[FileType]\r\nFileType=%s\r\n' "$1" "$2"
    printf '[NumOfNorth]\r\nNumOfNorth=%s\r\n[NumOfSouth]\r\nNumOfSouth=%s\r\n' "$3" "$4"
    printf '[NumOfWest]\r\nNumOfWest=0\r\n[NumOfEast]\r\nNumOfEast=0\r\n'
    printf '[Sound]\r\nSound=%s\r\n[SoundRepeat]\r\nSoundRepeat=True\r\n' "$5"
    printf '[NumOfHotSpots]\r\nNumOfHotSpots=%s\r\n' "$6"
    for ((i = 1; i <= $6; i++)); do
        printf '[HotSpot%d]\r\nNumOfImages=2\r\nImageNum=%d\r\n' "$i" "$((i - 1))"
        printf 'Image%d-X1=10\r\nImage%d-Y1=20\r\nImage%d-X2=300\r\nImage%d-Y2=400\r\n' \
            "$((i - 1))" "$((i - 1))" "$((i - 1))" "$((i - 1))"
    done
}
descriptor p .jpg 1 0 "" 1 > "$out/descriptor/small.ini"
descriptor "my pic" .png 2 1 "a sound.mp3" 3 > "$out/descriptor/blanks.ini"
printf '\xef\xbb\xbf; comment\n[NumOfHotSpots]\nNumOfHotSpots=300\n[HotSpot1]\nImageNum=400\n' \
    > "$out/descriptor/bom-lf.ini"
printf '[FileName\rFileName = caf\xe9 \r[filetype]\rFILETYPE=.gif\r' > "$out/descriptor/latin1-cr.ini"

# Packages: four horizontal pictures and one upper ring at position 0, in each picture kind;
# one also with a lower ring, hot spots and a sound member.
package() { # name picture-file extension lower(0/1) [extra files...]
    local name=$1 picture=$2 ext=$3 lower=$4
    shift 4
    local dir="$work/pkg-$name"
    mkdir -p "$dir"
    for i in 0 1 2 3; do cp "$picture" "$dir/p_H_000$i$ext"; done
    cp "$picture" "$dir/p_V00_0002$ext"
    local south=0
    if [ "$lower" = 1 ]; then
        cp "$picture" "$dir/p_M00_0002$ext"
        south=1
    fi
    descriptor p "$ext" 1 "$south" "" 1 > "$dir/info.ini"
    for extra in "$@"; do cp "$extra" "$dir/"; done
    rm -f "$out/open/$name.360"
    "$pack" create "$out/open/$name.360" "$dir" > /dev/null
}
package jpeg "$pics/base.jpg" .jpg 0
package png "$pics/palette.png" .png 0
package gif "$pics/small.gif" .gif 0
package bmp "$pics/palette.bmp" .bmp 1
printf 'ID3\3\0\0\0\0\0\0' > "$work/tune.mp3"
package rings "$pics/grey.jpg" .jpg 1 "$work/tune.mp3"

# The same packages with every member stored, so that the open target's checksum mending lets
# changes inside the descriptor and the pictures through.
python3 - "$out/open" <<'PY'
import pathlib, sys, zipfile
folder = pathlib.Path(sys.argv[1])
for package in sorted(folder.glob("*.360")):
    if package.stem.startswith("stored-"):
        continue
    with zipfile.ZipFile(package) as source, \
            zipfile.ZipFile(folder / f"stored-{package.name}", "w", zipfile.ZIP_STORED) as target:
        for info in source.infolist():
            target.writestr(info.filename, source.read(info))
PY

# The extraction corpus: the packages, each also padded with an archive comment of 1 ... 31 bytes
# (the targets take their variant from the input's size), and the small archives of the archive
# tests.
cp "$out"/open/*.360 "$out/extract/"
python3 - "$out/extract" <<'PY'
import pathlib, sys, zipfile
folder = pathlib.Path(sys.argv[1])
for package in sorted(folder.glob("*.360")):
    for pad in (1, 2, 3, 8, 16, 31):
        target = folder / f"{package.stem}-c{pad}.360"
        target.write_bytes(package.read_bytes())
        with zipfile.ZipFile(target, "a") as archive:
            archive.comment = b"c" * pad
PY
find "$here/../tests/data/archive" -type f -name '*.zip' -size -20k -exec cp {} "$out/extract/" \;
# Members whose names are not strict UTF-8 though the archive library takes them as UTF-8 and
# writes them as they are (a surrogate, an overlong sequence): a file, and a file in such a folder.
python3 - "$out/extract" <<'PY'
import io, pathlib, sys, zipfile
for pad in (0, 1):  # an odd size keeps the folders
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as archive:
        archive.writestr("badXYZ.jpg", b"x")
        archive.writestr("dirXY/badXYZ2.jpg", b"y")
        archive.comment = b"c" * pad
    # Same lengths, so that the headers stay right.
    data = buffer.getvalue().replace(b"XYZ", b"\xed\xa0\x80").replace(b"XY", b"\xc1\xbf")
    (pathlib.Path(sys.argv[1]) / f"not-utf8-{pad}.zip").write_bytes(data)
PY
echo "seeds written to $out"
