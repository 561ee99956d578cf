#!/bin/bash
# Makes docs/demo-map.png: `pathlet plot` of the demo's Tracks.tlx, turned into PNG with
# rsvg-convert (Debian's librsvg2-bin). Usage: tools/readme_picture.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/pathlet" demo --root "$work/demo" > /dev/null 2>&1
"$build/pathlet" plot "$work/demo/Demo_User/Pathlet/Tracks.tlx" -o "$work/map.svg"
rsvg-convert --background-color=white -o docs/demo-map.png "$work/map.svg"
echo "docs/demo-map.png made from $(stat -c %s "$work/map.svg") bytes of SVG"
