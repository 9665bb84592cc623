#!/usr/bin/env bash
# The README's recipe for rendering a picture in bands with GNU parallel, run on this machine
# with two jobs: the assembled picture must be the very bytes of a render in one piece.
set -euo pipefail
cli="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
"$cli" new fractal.vlf

"$cli" render fractal.vlf single.png --size 300x200 --aa 2

seq 5 | parallel --will-cite -j2 "$cli" render fractal.vlf band-{}.png --size 300x200 --aa 2 --band {}/5
"$cli" assemble poster.png band-*.png

cmp single.png poster.png
echo "5 bands assembled into the single render's bytes"
