#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what the desktop reads of it: the
# programs, the desktop entry and the file kinds, with the desktop's own tools.
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

# The manual pages format without a warning.
if command -v groff >/dev/null; then
  for page in velmora velmora-cli; do
    warnings="$(groff -man -ww -z "$prefix/share/man/man1/$page.1" 2>&1)"
    [ -z "$warnings" ] || { echo "$page.1: $warnings"; exit 1; }
  done
fi

desktop-file-validate "$prefix/share/applications/org.velmora.Velmora.desktop"
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
