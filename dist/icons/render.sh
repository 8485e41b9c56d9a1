#!/usr/bin/env bash
# Renders the PNG sizes of the program and package icons from their SVG sources (checked in, so
# the build needs no SVG renderer). Run after changing an SVG; needs rsvg-convert (librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for name in gyrolook application-x-gyrolook-package; do
    for size in 16 22 24 32 48 64 128 256; do
        mkdir -p "${size}x${size}"
        rsvg-convert -w "$size" -h "$size" "$name.svg" -o "${size}x${size}/$name.png"
    done
done
