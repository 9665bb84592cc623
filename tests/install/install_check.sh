#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what the desktop reads of it: the
# programs, the desktop entry, the icon, the AppStream data and the file kinds, with the
# desktop's own tools, and the examples and palettes that come with them.
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/velmora bin/velmora-cli share/applications/org.velmora.Velmora.desktop \
         share/mime/packages/velmora.xml share/man/man1/velmora.1 share/man/man1/velmora-cli.1; do
  [ -e "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
"$prefix/bin/velmora-cli" --version | grep -qx "velmora-cli 1.0"
"$prefix/bin/velmora" --version | grep -qx "velmora 1.0"

# The examples and the palettes, every one of them; the tour finds its fractals beside it
# whatever the current folder.
source="$(dirname "$0")/../.."
shared="$prefix/share/velmora"
diff <(cd "$source/examples" && ls -- *.vlf *.tkp) <(ls "$shared/examples") ||
  { echo "the installed examples differ from examples/"; exit 1; }
diff <(cd "$source/palettes" && ls -- *.cp1) <(ls "$shared/palettes") ||
  { echo "the installed palettes differ from palettes/"; exit 1; }
(cd / && "$prefix/bin/velmora-cli" check "$shared/examples/tour.tkp") >/dev/null

# The manual pages format without a warning.
if command -v groff >/dev/null; then
  for page in velmora velmora-cli; do
    warnings="$(groff -man -ww -z "$prefix/share/man/man1/$page.1" 2>&1)"
    [ -z "$warnings" ] || { echo "$page.1: $warnings"; exit 1; }
  done
fi

desktop-file-validate "$prefix/share/applications/org.velmora.Velmora.desktop"

# The icon the desktop entry names: the SVG, and a PNG of the right size for each size of the
# icon theme, showing the round picture (about three quarters of the square opaque).
icons="$prefix/share/icons/hicolor"
grep -qx "Icon=org.velmora.Velmora" "$prefix/share/applications/org.velmora.Velmora.desktop"
[ -e "$icons/scalable/apps/org.velmora.Velmora.svg" ] || { echo "not installed: the SVG icon"; exit 1; }
xmllint --noout "$icons/scalable/apps/org.velmora.Velmora.svg"
for size in 16 24 32 48 64 128 256; do
  png="$icons/${size}x${size}/apps/org.velmora.Velmora.png"
  [ -e "$png" ] || { echo "not installed: the ${size}x$size icon"; exit 1; }
  kind="$(file -b "$png")"
  [[ "$kind" == "PNG image data, $size x $size, 8-bit/color RGBA,"* ]] ||
    { echo "${size}x$size icon: $kind"; exit 1; }
  if command -v convert >/dev/null; then
    opaque="$(convert "$png" -alpha extract -format '%[fx:round(100 * mean)]' info:)"
    [ "$opaque" -ge 65 ] && [ "$opaque" -le 82 ] ||
      { echo "${size}x$size icon: $opaque % opaque"; exit 1; }
  fi
done

# The AppStream data names the desktop entry, which is installed beside it.
metainfo="$prefix/share/metainfo/org.velmora.Velmora.metainfo.xml"
[ -e "$metainfo" ] || { echo "not installed: the metainfo file"; exit 1; }
xmllint --noout "$metainfo"
grep -q '<launchable type="desktop-id">org.velmora.Velmora.desktop</launchable>' "$metainfo"
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$metainfo"
  # The tree as a whole: the desktop entry the launchable names is found and agrees.
  appstreamcli validate-tree --no-net "$prefix"
fi
xmllint --noout "$prefix/share/mime/packages/velmora.xml"

# The MIME database built from the file knows the extensions and the DOCTYPE lines.
update-mime-database "$prefix/share/mime"
for kind in fractal palette project; do
  [ -e "$prefix/share/mime/application/x-velmora-$kind.xml" ] || { echo "no type $kind"; exit 1; }
done
grep -q "application/x-velmora-fractal:\*\.vlf" "$prefix/share/mime/globs2"
grep -q "application/x-velmora-project:\*\.tkp" "$prefix/share/mime/globs2"
grep -aq "<!DOCTYPE UnitFractal " "$prefix/share/mime/magic"
grep -aq "<!DOCTYPE UnitColorPalette1D " "$prefix/share/mime/magic"
# A fractal file renamed is still known by its DOCTYPE line.
if command -v xdg-mime >/dev/null; then
  cp "$(dirname "$0")/../data/default.vlf" "$prefix/renamed.txt"
  cp "$(dirname "$0")/../data/palette.cp1" "$prefix/renamed.dat"
  kind="$(XDG_DATA_DIRS="$prefix/share:/usr/share" xdg-mime query filetype "$prefix/renamed.txt")"
  [ "$kind" = "application/x-velmora-fractal" ] || { echo "renamed fractal file is $kind"; exit 1; }
  kind="$(XDG_DATA_DIRS="$prefix/share:/usr/share" xdg-mime query filetype "$prefix/renamed.dat")"
  [ "$kind" = "application/x-velmora-palette" ] || { echo "renamed palette file is $kind"; exit 1; }
fi
echo "installed and known to the desktop"
