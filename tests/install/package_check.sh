#!/usr/bin/env bash
# Packs the build as a Debian package and checks its control data and its files: the
# dependencies are the runtime libraries the programs link, nothing of the build tree, and the
# files are those the install puts in place.
set -euo pipefail
build="$1"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb="$(ls "$out"/velmora_*_amd64.deb)"

depends="$(dpkg-deb -f "$deb" Depends)"
for library in libqt6core6 libqt6gui6 libqt6widgets6 libstdc++6 libpng16-16; do
  grep -q "$library" <<<"$depends" || { echo "Depends lacks $library: $depends"; exit 1; }
done
if dpkg-deb -I "$deb" | grep -q "$build"; then echo "the control data names the build tree"; exit 1; fi
[ "$(dpkg-deb -f "$deb" Package)" = "velmora" ]

# The package's files are the install's, under /usr.
dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sed 's|^\./usr/||' | sort >"$out/packaged"
cmake --install "$build" --prefix "$out/prefix" >/dev/null
(cd "$out/prefix" && find . -type f -o -type l) | sed 's|^\./||' | sort >"$out/installed"
diff "$out/installed" "$out/packaged"
echo "$(basename "$deb"): $depends"
